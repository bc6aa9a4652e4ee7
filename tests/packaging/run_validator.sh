#!/usr/bin/env bash
# Runs a validator and fails on anything it reports, warnings and hints included; skips when the
# validator is not installed.
#   run_validator.sh PACKAGE COMMAND ARGS...
set -uo pipefail
package=$1
shift
command -v "$1" >/dev/null || { echo "SKIP: $1 is missing (package $package)"; exit 77; }
output=$("$@" 2>&1)
status=$?
echo "$output"
# appstreamcli ends a clean run with "Validation was successful"; desktop-file-validate says nothing.
remarks=$(grep -v -E '^(✔ )?Validation was successful\.?$' <<<"$output" | grep -v '^$')
[ $status -eq 0 ] && [ -z "$remarks" ]
