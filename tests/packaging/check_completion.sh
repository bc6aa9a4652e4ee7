#!/usr/bin/env bash
# The bash completion must offer every subcommand, option and fixed option value that the program's
# --help names, in the right place, and nothing that the program does not have.
#   check_completion.sh PROGRAM COMPLETION_FILE
set -euo pipefail
program=$1 completion=$2
source "$(dirname "$0")/help_words.sh"
name=$(basename "$program")

# candidates WORD...: what the completion offers for the command line "name WORD..." (the last word is
# the one being completed).
candidates() {
    bash --norc --noprofile -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
        function=$(complete -p "$1" | sed -E "s/.* -F ([^ ]+) .*/\1/")
        "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" "$name" "$@" | sort -u
}

# compare WHERE EXPECTED OFFERED: every expected word offered, every offered word expected.
status=0
compare() {
    local missing extra
    missing=$(comm -23 <(sort -u <<<"$2") <(sort -u <<<"$3"))
    extra=$(comm -13 <(sort -u <<<"$2") <(sort -u <<<"$3"))
    [ -z "$missing" ] || { echo "$1: not offered: $(tr '\n' ' ' <<<"$missing")"; status=1; }
    [ -z "$extra" ] || { echo "$1: offered but unknown to $name: $(tr '\n' ' ' <<<"$extra")"; status=1; }
    return 0
}

# check_values SUBCOMMAND...: an option with a fixed set of values is completed with exactly those.
check_values() {
    local option values
    while read -r option values; do
        compare "$name $* $option <TAB>" "$(tr ' ' '\n' <<<"$values")" "$(candidates "$@" "$option" "")"
    done < <(option_choices "$program" "$@")
}

subcommands=$(subcommand_names "$program")
if [ -n "$subcommands" ]; then
    compare "$name <TAB>" "$subcommands"$'\n'"$(option_names "$program")" "$(candidates "")"
    for sub in $subcommands; do
        compare "$name $sub -<TAB>" "$(option_names "$program" "$sub")" "$(candidates "$sub" -)"
        check_values "$sub"
    done
else
    compare "$name -<TAB>" "$(option_names "$program")" "$(candidates -)"
    check_values
fi
[ $status -eq 0 ] && echo "$completion: offers every subcommand, option and option value of $name, and nothing else"
exit $status
