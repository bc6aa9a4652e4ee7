#!/usr/bin/env bash
# The shared-mime-info database built from our MIME package alone must recognise data files by their
# content when the name says nothing (no extension), and must not claim other text.
#   check_mime.sh MIME_XML DATA_FILE...
set -euo pipefail
xml=$1
shift
command -v update-mime-database >/dev/null || { echo "SKIP: update-mime-database is missing (shared-mime-info)"; exit 77; }
command -v gio >/dev/null || { echo "SKIP: gio is missing (libglib2.0-bin)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/mime/packages" "$work/files"
cp "$xml" "$work/mime/packages/kdmxp.xml"
# update-mime-database reports a malformed package on stderr and still succeeds.
errors=$(XDG_DATA_HOME="$work" update-mime-database "$work/mime" 2>&1 >/dev/null)
[ -z "$errors" ] || { echo "update-mime-database: $errors"; exit 1; }

# type FILE: the content type that the database gives FILE.
type() {
    XDG_DATA_HOME="$work" XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$1" |
        sed -n 's/^ *standard::content-type: //p'
}

status=0
expect() {
    local got
    got=$(type "$2")
    if [ "$got" = "$1" ]; then
        echo "ok    $(basename "$2"): $got"
    else
        echo "WRONG $(basename "$2"): $got, expected $1"
        status=1
    fi
}

for file in "$@"; do
    cp "$file" "$work/files/$(basename "${file%.*}")"
    expect application/x-kdmxp-data "$work/files/$(basename "${file%.*}")"
done
# Text that merely starts with STX, or an identification record without its terminator, is not ours.
printf '\002hello, this is no telegram\r\n\r' >"$work/files/stx-text"
expect application/octet-stream "$work/files/stx-text"
printf '\0020g+I1P000--598\n\002more' >"$work/files/no-terminator"
expect application/octet-stream "$work/files/no-terminator"
printf 'plain text\n' >"$work/files/plain"
expect text/plain "$work/files/plain"
exit $status
