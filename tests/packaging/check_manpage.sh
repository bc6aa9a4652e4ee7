#!/usr/bin/env bash
# The man page must name every subcommand, option and fixed option value that the program's --help
# names (each subcommand with an entry of its own), and every --option it names must still exist.
#   check_manpage.sh PROGRAM PAGE.1
set -euo pipefail
program=$1 page=$2
[ -f "$page" ] || { echo "SKIP: $page was not made (scdoc is missing)"; exit 77; }
source "$(dirname "$0")/help_words.sh"

# The page as text: without font changes and roff escapes.
text=$(sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\&//g' "$page")
status=0
subcommands=$(subcommand_names "$program")
options=$(option_names "$program")
for sub in $subcommands; do
    # An entry of its own: a line that starts with the subcommand in bold.
    grep -q -E "^\\\\fB$sub\\\\fR( |$)" "$page" || { echo "$page: no entry for the subcommand '$sub'"; status=1; }
    options+=$'\n'$(option_names "$program" "$sub")
    # Subcommands of a subcommand ("history name") have options of their own.
    for nested in $(subcommand_names "$program" "$sub"); do
        options+=$'\n'$(option_names "$program" "$sub" "$nested")
    done
done
# The values of an option that takes one of a fixed set, each in bold.
while read -r option values; do
    for value in $values; do
        grep -q -F "\\fB$value\\fR" "$page" ||
            { echo "$page: the value '$value' of $option is not described"; status=1; }
    done
done < <(option_choices "$program"; for sub in $subcommands; do option_choices "$program" "$sub"; done)
for option in $(sort -u <<<"$options"); do
    grep -q -E -- "(^|[^[:alnum:]-])$option([^[:alnum:]-]|$)" <<<"$text" ||
        { echo "$page: the option '$option' of $(basename "$program") --help is missing"; status=1; }
done
for option in $(grep -o -E -- '(^|[^[:alnum:]-])--[a-z][a-z0-9-]*' <<<"$text" | sed 's/^[^-]*//' | sort -u); do
    grep -q -x -F -- "$option" <<<"$options" ||
        { echo "$page: names '$option', which $(basename "$program") does not have"; status=1; }
done
[ $status -eq 0 ] && echo "$page: $(wc -w <<<"$subcommands") subcommands and $(sort -u <<<"$options" | wc -l) options, all documented"
exit $status
