# bash completion for vostel-tool and vostel-sim (installed under both names).
# Commands, options and argument names come from the programs' own --help, so
# what they add later completes without a change here.

# The numbers N of the links comN in the ports folder.
_vostel_ports()
{
    local link number
    for link in "${XDG_CONFIG_HOME:-$HOME/.config}"/vostel/ports/com*; do
        number=${link##*/com}
        [[ $number =~ ^[0-9]+$ ]] && printf '%s\n' "$number"
    done
}

# Completes $cur as a value named $1 in the --help text (FILE, PORT, N, ...).
_vostel_value()
{
    case $1 in
        FILE | JSON | DEVICE) _filedir ;;
        PORT) COMPREPLY=($(compgen -W "$(_vostel_ports)" -- "$cur")) ;;
    esac
}

_vostel_tool()
{
    local cur prev words cword
    _init_completion || return
    local help
    help=$("$1" --help 2>/dev/null) || return
    local commands
    commands=$(awk '/^commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }' <<<"$help")
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    # The command's usage line, e.g. "  match [--library FILE] V1 V2 ...  the ID of ...".
    local usage
    usage=$(awk -v c="${words[1]}" '/^commands:/ { on = 1; next } on && $1 == c { print; exit }' <<<"$help")
    usage=${usage#  }
    usage=${usage%%  *}
    usage=${usage//[\[\]]/}
    local -a tokens=($usage) options=() positional=()
    local i
    for ((i = 1; i < ${#tokens[@]}; i++)); do
        case ${tokens[i]} in
            -*) options+=("${tokens[i]}") ;;
            *) [[ ${tokens[i - 1]} == -* ]] || positional+=("${tokens[i]}") ;;
        esac
    done
    # The value of an option, when the usage line names one after it.
    for ((i = 1; i + 1 < ${#tokens[@]}; i++)); do
        if [[ ${tokens[i]} == "$prev" && $prev == -* && ${tokens[i + 1]} == [A-Z]* ]]; then
            [[ $prev == --port ]] && _vostel_value PORT || _vostel_value "${tokens[i + 1]}"
            return
        fi
    done
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
        return
    fi
    # Which positional argument this is: count the words before it that are not options or their values.
    local n=0 skip=0 word
    for word in "${words[@]:2:cword-2}"; do
        if ((skip)); then
            skip=0
        elif [[ $word == -* ]]; then
            [[ " ${tokens[*]} " == *" $word "[A-Z]* ]] && skip=1
        else
            n=$((n + 1))
        fi
    done
    local name=${positional[n]:-}
    [[ -z $name && ${positional[-1]:-} == ... ]] && name=${positional[-2]}
    # A port number given by itself is a port too.
    [[ $name == N ]] && name=PORT
    _vostel_value "$name"
}
complete -F _vostel_tool vostel-tool

_vostel_sim()
{
    local cur prev words cword
    _init_completion || return
    local help
    help=$("$1" --help 2>/dev/null) || return
    case $prev in
        --port)
            _vostel_value PORT
            return
            ;;
        --play)
            # Steps are comma-separated: complete the last one with the buttons and the step words.
            local steps buttons done=
            steps=$(awk '/^STEPS is/ { on = 1; next } on && /^  [a-z]/ { print $1 }' <<<"$help")
            buttons=$("$1" --list 2>/dev/null | awk '{ print $1 }')
            [[ $cur == *,* ]] && done=${cur%,*},
            COMPREPLY=($(compgen -P "$done" -W "$buttons $steps" -- "${cur##*,}"))
            return
            ;;
        -*)
            # An option whose help line names a value: FILE completes file names, numbers nothing.
            local value
            value=$(awk -v o="$prev" '$1 == o { print $2; exit }' <<<"$help")
            if [[ $value == [A-Z]* ]]; then
                _vostel_value "$value"
                return
            fi
            ;;
    esac
    COMPREPLY=($(compgen -W "$(awk '/^  --/ { print $1 }' <<<"$help" | sort -u)" -- "$cur"))
}
complete -F _vostel_sim vostel-sim
