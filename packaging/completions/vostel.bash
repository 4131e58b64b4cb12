# bash completion for vostel-tool and vostel-sim (installed under both names).
# Commands, options and argument names come from the programs' own --help, so
# what they add later completes without a change here.

# The numbers N of the links comN in the ports folder (a relative
# XDG_CONFIG_HOME counts as unset, as the XDG rules say).
_vostel_ports()
{
    local link number config=${XDG_CONFIG_HOME:-}
    [[ $config == /* ]] || config=$HOME/.config
    for link in "$config"/vostel/ports/com*; do
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
    usage=${usage//|/ }
    local -a tokens=($usage) options=(--help) positional=()
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
    local name=${positional[n]:-} count=${#positional[@]}
    ((count >= 2)) && [[ -z $name && ${positional[count - 1]} == ... ]] && name=${positional[count - 2]}
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
            # The buttons are those of the library given with --library, else the demo's.
            local steps buttons done= i library=()
            for ((i = 1; i + 1 < cword; i++)); do
                [[ ${words[i]} == --library ]] && library=(--library "${words[i + 1]/#\~/$HOME}")
            done
            steps=$(awk '/^STEPS is/ { on = 1; next } on && /^  [a-z]/ { print $1 }' <<<"$help")
            # "ID D1 D2 ...": the ID, which may hold blanks, is what precedes the durations.
            buttons=$("$1" "${library[@]}" --list 2>/dev/null | sed -E 's/( -?[0-9]+)*$//')
            [[ $cur == *,* ]] && done=${cur%,*},
            local IFS=$'\n'
            COMPREPLY=($(compgen -P "$done" -W "$buttons"$'\n'"$steps" -- "${cur##*,}"))
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
