# Reads what a program's --help names, as CLI11 and kdmxp print it. Sourced by the packaging checks.

# option_names PROGRAM [SUBCOMMAND]: every option name (-o, --output, ...) of the option lines, one a
# line. Option lines start with a dash after a short indent; wrapped descriptions are indented further.
option_names() {
    "$@" --help | awk 'match($0, /^ +-/) && RLENGTH <= 7 {
        n = split($1, names, ",")
        for (i = 1; i <= n; i++) if (names[i] ~ /^-/) print names[i]
    }'
}

# subcommand_names PROGRAM [SUBCOMMAND]: the names listed under "Subcommands:", one a line.
subcommand_names() {
    "$@" --help | awk '/^Subcommands:/ { inside = 1; next } /^[^ ]/ { inside = 0 } inside && /^  [a-z]/ { print $1 }'
}

# option_choices PROGRAM [SUBCOMMAND]: "OPTION VALUE..." for each option that takes one of a fixed set
# of values (CLI11 shows them as TYPE:{a,b,c}).
option_choices() {
    "$@" --help | awk 'match($0, /^ +-/) && RLENGTH <= 7 && match($0, /:\{[^}]*\}/) {
        n = split(substr($0, RSTART + 2, RLENGTH - 3), values, ",")
        m = split($1, names, ",")
        line = names[m]
        for (i = 1; i <= n; i++) line = line " " values[i]
        print line
    }'
}
