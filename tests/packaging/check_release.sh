#!/usr/bin/env bash
# The package's changelog and the AppStream release list must both announce the version being built,
# so that a version bump without release notes fails here rather than in a user's package manager.
#   check_release.sh VERSION CHANGELOG METAINFO
set -euo pipefail
version=$1 changelog=$2 metainfo=$3
command -v dpkg-parsechangelog >/dev/null || { echo "SKIP: dpkg-parsechangelog is missing (dpkg-dev)"; exit 77; }
status=0
got=$(dpkg-parsechangelog -l "$changelog" -S Version)
[ "$got" = "$version" ] || { echo "$changelog: newest entry is $got, the project is $version"; status=1; }
dpkg-parsechangelog -l "$changelog" -S Maintainer | grep -q -E '^[^<>]+ <[^<> ]+@[^<> ]+>$' ||
    { echo "$changelog: the entry is not signed by a maintainer 'Name <address>'"; status=1; }
got=$(grep -o -m1 '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
[ "$got" = "$version" ] || { echo "$metainfo: newest release is $got, the project is $version"; status=1; }
[ $status -eq 0 ] && echo "changelog and metainfo announce $version"
exit $status
