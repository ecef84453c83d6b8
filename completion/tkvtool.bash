# bash completion for tkvtool and tkvtool-sim: commands, subcommands, spaces,
# options, and the values of the options and operands that take one of a
# few numbers.

# The command as one word ("read", "i2c get"), and where its arguments start.
_tkvtool_command() {
    local i=1
    [[ ${COMP_WORDS[1]} == -d ]] && i=3
    [[ ${COMP_WORDS[1]} == -d?* ]] && i=2
    case ${COMP_WORDS[i]} in
    i2c | pci | zv) echo "$((i + 2)) ${COMP_WORDS[i]} ${COMP_WORDS[i + 1]}" ;;
    *) echo "$((i + 1)) ${COMP_WORDS[i]}" ;;
    esac
}

_tkvtool_options() {
    case $1 in
    read | "pci read") echo "-w -c --help" ;;
    write | "pci write") echo "-w -m -r --help" ;;
    dump) echo "-w -v -o -q --help" ;;
    load) echo "-w --verify -q --help" ;;
    "i2c get") echo "-c --help" ;;
    "i2c set") echo "-r --help" ;;
    edid) echo "-o --help" ;;
    *) echo "--help" ;;
    esac
}

# What the operand at `position` (0 for the first) of a command can be.
_tkvtool_operand() {
    case $1:$2 in
    read:0 | write:0 | dump:0 | load:0) echo "reg vram crtc pci" ;;
    "i2c detect:0" | "i2c dump:0" | "i2c get:0" | "i2c set:0" | "zv info:0") echo "0 1" ;;
    edid:0) echo "0 1 2 3" ;;
    esac
}

_tkvtool_reply() {
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$2")
}

_tkvtool() {
    local cur=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    case $previous in
    -w) _tkvtool_reply "1 2 4 8" "$cur"; return ;;
    -o) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
    -d | -c | -m) return ;;
    esac
    local start command
    read -r start command <<<"$(_tkvtool_command)"
    if ((COMP_CWORD < start)); then
        if [[ $command == i2c* ]]; then
            _tkvtool_reply "detect dump get set" "$cur"
        elif [[ $command == pci* ]]; then
            _tkvtool_reply "dump read write" "$cur"
        elif [[ $command == zv* ]]; then
            _tkvtool_reply "info" "$cur"
        else
            _tkvtool_reply "-d read write dump load i2c edid pci zv version --help --version" "$cur"
        fi
        return
    fi
    if [[ $cur == -* ]]; then
        _tkvtool_reply "$(_tkvtool_options "$command")" "$cur"
        return
    fi
    # Operands so far, leaving out options and their values.
    local i position=0
    for ((i = start; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -w | -c | -m | -o) ((i++)) ;;
        -*) ;;
        *) ((position++)) ;;
        esac
    done
    if [[ $command == load && $position == 2 ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
    fi
    _tkvtool_reply "$(_tkvtool_operand "$command" "$position")" "$cur"
}

complete -F _tkvtool tkvtool tkvtool-sim
