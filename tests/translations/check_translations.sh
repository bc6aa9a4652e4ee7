#!/bin/sh
# The interface's .ts files must keep step with the code: every text the windows pass to the translator
# needs an entry in each language, and an entry whose text left the code is dead weight that hides a
# renamed text. lupdate works on copies, so the files in the tree are never rewritten by a test run.
# The "Strings" context is the exception: the core's string table is translated by id at run time, so
# lupdate never sees those texts in the interface's code.
# Usage: check_translations.sh LUPDATE SOURCE_DIR. Exit 0 when in step, 1 listing what is not.
set -u
lupdate=${1:?usage: check_translations.sh LUPDATE SOURCE_DIR}
src=${2:?usage: check_translations.sh LUPDATE SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

status=0
for ts in "$src"/ui/translations/kdmxp_*.ts; do
    copy="$work/$(basename "$ts")"
    cp "$ts" "$copy"
    if ! "$lupdate" -silent -locations none "$src"/ui/*.cpp "$src"/ui/*.h -ts "$copy" >"$work/lupdate.log" 2>&1; then
        cat "$work/lupdate.log"
        echo "lupdate failed on $(basename "$ts")"
        status=1
        continue
    fi
    problems=$(awk -v file="$(basename "$ts")" '
        /<name>/ { sub(/.*<name>/, ""); sub(/<\/name>.*/, ""); context = $0 }
        /<source>/ { source = $0; sub(/.*<source>/, "", source); sub(/<\/source>.*/, "", source) }
        /<translation type="unfinished"/ { print file ": no translation in " context ": " source }
        /<translation type="(vanished|obsolete)"/ && context != "Strings" {
            print file ": " context ": " source " is no longer in the code"
        }' "$copy")
    if [ -n "$problems" ]; then
        printf '%s\n' "$problems"
        status=1
    fi
done
[ $status -eq 0 ] && echo "translations in step with the code"
exit $status
