# Bash completion of the suite's programs: commands, options, --format names and MIDI ports.
# Everything comes from the programs themselves (their --help, `pulvex-cli formats`, `ports`), so
# that nothing here goes stale when a program changes. Installed once under each program's name.

# The options of `program [command]`, as its --help names them.
_suite_options() {
    "$@" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u
}

# The commands of `program`: the words after its name in its usage lines, or, where its --help has
# a "Commands:" block, the first word of each entry there; klangor-cli's entries follow its usage.
_suite_commands() {
    local program=$1 name=${1##*/}
    if [[ $name == klangor-cli ]]; then
        "$program" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p'
        return
    fi
    "$program" --help 2>/dev/null | sed -n -e "s/^\(usage:\| \) *$name \([a-z][a-z-]*\).*/\2/p" \
        -e '/^Commands:/,/^[^ ]/s/^  \([a-z][a-z-]*\) .*/\1/p' | sort -u
}

# The ports `program ports` lists under the heading that names `option` (--in or --out);
# klangor-cli lists its outputs alone, as "N: name".
_suite_ports() {
    if [[ ${1##*/} == klangor-cli ]]; then
        [[ $2 == --out ]] && "$1" ports 2>/dev/null | sed -n 's/^[0-9]*: //p'
        return
    fi
    "$1" ports 2>/dev/null | awk -v option="$2" '
        /^[^ ]/ { listed = index($0, option) > 0; next }
        listed && /^  [0-9]+  / { sub(/^  [0-9]+  /, ""); print }'
}

# COMPREPLY: the lines of `candidates` that begin with `cur`.
_suite_reply() {
    local cur=$1 candidates=$2 IFS=$'\n'
    COMPREPLY=($(compgen -W "$candidates" -- "$cur"))
}

# COMPREPLY: the ports that have `cur` in their name in any case, as the programs match them, with
# their blanks escaped.
_suite_reply_ports() {
    local cur=${1,,} name IFS=$'\n'
    COMPREPLY=()
    for name in $2; do
        [[ ${name,,} == *"$cur"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
    done
}

_suite_complete() {
    local program=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} name=${COMP_WORDS[0]##*/}
    local previous=${COMP_WORDS[COMP_CWORD - 1]} command=
    ((COMP_CWORD > 1)) && command=${COMP_WORDS[1]}
    case $name in
    klangor | pulvex)
        _suite_reply "$cur" "$(_suite_options "$program")"
        return
        ;;
    esac
    if ((COMP_CWORD == 1)); then
        _suite_reply "$cur" "$(_suite_commands "$program")"$'\n--help\n--version'
        return
    fi
    case $previous in
    --in | --out)
        _suite_reply_ports "$cur" "$(_suite_ports "$program" "$previous")"
        return
        ;;
    --format)
        _suite_reply "$cur" "$("$program" formats 2>/dev/null)"
        return
        ;;
    --bank)
        _suite_reply "$cur" $'preset\ninternal\ncard\nall'
        return
        ;;
    --fault)
        # The faults as the instrument's usage spells them: [--fault silent|no-f7|...].
        _suite_reply "$cur" "$("$program" "$command" --help 2>/dev/null | tr -d ' \n' |
            sed -n 's/.*\[--fault\([^]]*\)\].*/\1/p' | tr '|' '\n')"
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        _suite_reply "$cur" "$(_suite_options "$program" "$command")"
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

complete -o filenames -F _suite_complete klangor-cli pulvex-cli midi-emulator wirebox-probe klangor \
    pulvex
