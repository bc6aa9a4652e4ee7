#!/bin/sh
# The core's folders are layers: each may include its own headers and those of the layers below it,
# never a higher one, and no core folder includes the programs (cli, ui, sim) or the tests. The
# libraries are linked in the same order (see the top CMakeLists.txt), so a call across an upward
# include would fail to link; this catches the include itself, header-only uses too.
# The desktop application (ui/) has layers of its own, listed below: a ui file may include the ui files
# of its own layer and of the layers below, never a higher one, and no two ui files include each other
# (a file's .h and .cpp count as one). Every ui file must have its place in that list.
# Usage: check_layers.sh SOURCE_DIR. Exit 0 when every include goes down, 1 listing those that do not.
set -u
src=${1:?usage: check_layers.sh SOURCE_DIR}

layers="platform link files data transfer"
above_core="cli ui sim tests bench"

# The desktop's layers, lowest first. Windows and dialogs reach the application only through the seam
# (app_services, which names no window); the application is the only file that knows every window,
# and main alone knows the application.
ui_layers="
foundation: contact core_text display_text history_record language machine_name_field menu pictures port_watch transfer_context transfer_controls ui_state
models: app_services document grid_model
views: com_select compare_view ctable file_drop help info_dialogs printing report transfer_progress transfer_worker
windows: download_dialog history_window main_window table_window transfer_dialogs upload_dialog
application: app
program: main
"

# The layer number of ui file `$1` (a name without folder or extension), or "" when it has none.
ui_rank() {
    printf '%s\n' "$ui_layers" | awk -v name="$1" '
        NF > 0 { for (i = 2; i <= NF; ++i) if ($i == name) { print n + 0; exit } ++n }'
}

ui_layer_name() {
    printf '%s\n' "$ui_layers" | awk -v rank="$1" 'NF > 0 { if (n + 0 == rank) { sub(":", "", $1); print $1; exit } ++n }'
}

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

# The desktop's own order. "edges" collects one line "from to" per include between two ui files.
edges=$(mktemp) || exit 2
trap 'rm -f "$found" "$edges"' EXIT
for file in "$src"/ui/*.h "$src"/ui/*.cpp "$src"/ui/*.h.in; do
    [ -f "$file" ] || continue
    base=${file##*/}
    own=${base%%.*}
    own_rank=$(ui_rank "$own")
    if [ -z "$own_rank" ]; then
        echo "${file#"$src"/}: has no layer in the desktop's order (ui_layers in tests/layering/check_layers.sh)"
        continue
    fi
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"ui/' "$file" |
        sed 's/^\([0-9]*\):[^"]*"ui\/\([^"]*\)".*/\1 \2/' |
        while read -r line target; do
            to=${target%%.*}
            [ "$to" = "$own" ] && continue
            echo "$own $to" >>"$edges"
            to_rank=$(ui_rank "$to")
            if [ -n "$to_rank" ] && [ "$to_rank" -gt "$own_rank" ]; then
                echo "${file#"$src"/}:$line: includes \"ui/$target\": $own ($(ui_layer_name "$own_rank")) may not use $to ($(ui_layer_name "$to_rank")), a higher layer of the desktop"
            fi
        done
done >>"$found"
sort -u "$edges" | while read -r from to; do
    if [ "$from" \< "$to" ] && grep -qx "$to $from" "$edges"; then
        echo "ui/$from.* and ui/$to.* include each other"
    fi
done >>"$found"

if [ -s "$found" ]; then
    cat "$found"
    exit 1
fi
echo "every include of $layers goes down the layers; in ui/ every include stays in its layer or goes down, and no two files include each other"
