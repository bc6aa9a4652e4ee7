#!/bin/sh
# The core's folders are layers: each may include its own headers and those of the layers below it,
# never a higher one, and no core folder includes the programs (cli, ui, sim) or the tests. The
# libraries are linked in the same order (see the top CMakeLists.txt), so a call across an upward
# include would fail to link; this catches the include itself, header-only uses too.
# In the desktop application, the menu does not include the application object either.
# Usage: check_layers.sh SOURCE_DIR. Exit 0 when every include goes down, 1 listing those that go up.
set -u
src=${1:?usage: check_layers.sh SOURCE_DIR}

layers="platform link files data transfer"
above_core="cli ui sim tests bench"

rank() {
    r=0
    for layer in $layers; do
        [ "$layer" = "$1" ] && { echo $r; return; }
        r=$((r + 1))
    done
    echo ""  # not a core folder
}

found=$(mktemp) || exit 2
trap 'rm -f "$found"' EXIT
for folder in $layers; do
    own=$(rank "$folder")
    for file in "$src/$folder"/*.h "$src/$folder"/*.cpp; do
        [ -f "$file" ] || continue
        # Every quoted include names its folder first: "link/telegram.h".
        grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
            sed 's/^\([0-9]*\):[^"]*"\([^"]*\)".*/\1 \2/' |
            while read -r line target; do
                case "$target" in */*) ;; *) continue ;; esac
                to=${target%%/*}
                to_rank=$(rank "$to")
                upward=no
                if [ -n "$to_rank" ]; then
                    [ "$to_rank" -gt "$own" ] && upward=yes
                else
                    for top in $above_core; do [ "$to" = "$top" ] && upward=yes; done
                fi
                if [ "$upward" = yes ]; then
                    echo "${file#"$src"/}:$line: includes \"$target\": $folder may use only the layers below it ($layers, lowest first)"
                fi
            done
    done
done >"$found"

# The menu is built without the application object: the application connects its handlers to the
# menu's actions, so ui/menu.* must never include ui/app.h (that closed a cycle app -> table window ->
# menu -> app).
for file in "$src"/ui/menu.h "$src"/ui/menu.cpp; do
    [ -f "$file" ] || continue
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"ui/app\.h"' "$file" |
        while IFS=: read -r line _; do
            echo "${file#"$src"/}:$line: includes \"ui/app.h\": the menu may not know the application, which connects to it"
        done
done >>"$found"

if [ -s "$found" ]; then
    cat "$found"
    exit 1
fi
echo "every include of $layers goes down the layers; the menu does not include the application"
