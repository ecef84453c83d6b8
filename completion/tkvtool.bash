# bash completion for tkvtool and tkvtool-sim: commands, subcommands, spaces,
# options not given yet, the widths each space takes, and file names.

# The command as one word ("read", "i2c get"), and where its arguments start,
# past the options before it (-d ID, --map FILE).
_tkvtool_command() {
    local i=1
    while ((i < COMP_CWORD)); do
        case ${COMP_WORDS[i]} in
        -d | --map) ((i += 2)) ;;
        -d?* | --map=*) ((i++)) ;;
        *) break ;;
        esac
    done
    case ${COMP_WORDS[i]} in
    i2c | pci | zv | regmap) echo "$((i + 2)) ${COMP_WORDS[i]} ${COMP_WORDS[i + 1]}" ;;
    *) echo "$((i + 1)) ${COMP_WORDS[i]}" ;;
    esac
}

# The options a command takes, as its --help lists them from tkvtool's own
# option table, each with its value's name where it takes one ("-w W", "-D"),
# one a line; -d, which every command takes, besides.
_tkvtool_listed() {
    "${COMP_WORDS[0]}" $1 --help 2>/dev/null |
        grep -oE '^  (-{1,2}[A-Za-z][A-Za-z-]*,? ?([A-Z0-9]+,? ?)? *)+' |
        grep -oE -- '-{1,2}[A-Za-z][A-Za-z-]*( [A-Z0-9]+)?'
    echo "-d ID"
}

_tkvtool_options() {
    _tkvtool_listed "$1" | cut -d' ' -f1
    echo "--help"
}

# The options that take a value, for the command.
_tkvtool_valued() {
    _tkvtool_listed "$1" | grep ' ' | cut -d' ' -f1
}

# What the operand at `position` (0 for the first) of a command can be.
_tkvtool_operand() {
    case $1:$2 in
    read:0 | write:0 | dump:0 | load:0) echo "reg vram crtc pci" ;;
    "i2c "*:0 | "zv "*:0 | capture:0) echo "0 1" ;;
    edid:0) echo "0 1 2 3" ;;
    esac
}

# The register names of the maps, from tkvtool regs; with "blocks", the
# blocks' instance names.
_tkvtool_names() {
    local names
    names=$("${COMP_WORDS[0]}" regs 2>/dev/null | cut -d' ' -f1)
    if [[ $1 == blocks ]]; then printf '%s\n' "$names" | cut -d. -f1 | sort -u; else printf '%s\n' "$names"; fi
}

# The widths that -w takes: those of the space named, for reading or writing.
_tkvtool_widths() {
    local command=$1 space=$2
    [[ $command == pci* ]] && space=pci
    case $space:$command in
    crtc:*) echo 1 ;;
    pci:write | pci:load | "pci:pci write") echo 4 ;;
    pci:*) echo "1 2 4" ;;
    *) echo "1 2 4 8" ;;
    esac
}

# File names as bash-completion completes them: quoted, directories with a slash.
_tkvtool_files() {
    if declare -F _filedir >/dev/null; then
        _filedir
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "${COMP_WORDS[COMP_CWORD]}")
    fi
}

_tkvtool_reply() {
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$2")
}

_tkvtool() {
    local cur=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    local start command
    read -r start command <<<"$(_tkvtool_command)"
    # Operands so far, leaving out options and their values.
    local i word position=0 space="" given=" "
    local valued=" $(_tkvtool_valued "$command" | tr '\n' ' ') "
    for ((i = start; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        -*)
            given+="$word "
            [[ $valued == *" $word "* ]] && ((i++))
            ;;
        *)
            ((position == 0)) && space=$word
            ((position++))
            ;;
        esac
    done
    if ((COMP_CWORD >= start)); then
        case $command:$previous in
        "zv start":-w | "zv start":-h | *:-x | *:-y | *:-l | *:-c | *:-m | *:-d) return ;;
        "zv init":-i | *:-t) _tkvtool_reply "0 1" "$cur"; return ;;
        *:-a) _tkvtool_reply "24 25" "$cur"; return ;;
        *:--layer) _tkvtool_reply "1 3" "$cur"; return ;;
        *:--format) _tkvtool_reply "uyvy yuyv rgb565" "$cur"; return ;;
        *:-w) _tkvtool_reply "$(_tkvtool_widths "$command" "$space")" "$cur"; return ;;
        *:--map)
            _tkvtool_files
            return
            ;;
        *:-o)
            _tkvtool_files
            return
            ;;
        esac
    fi
    if ((COMP_CWORD < start)); then
        if [[ $previous == --map ]]; then
            _tkvtool_files
        elif [[ $previous == -d ]]; then
            return
        elif [[ $command == i2c* ]]; then
            _tkvtool_reply "list detect dump get set" "$cur"
        elif [[ $command == pci* ]]; then
            _tkvtool_reply "dump read write" "$cur"
        elif [[ $command == zv* ]]; then
            _tkvtool_reply "init start stop restart info" "$cur"
        elif [[ $command == regmap* ]]; then
            _tkvtool_reply "check" "$cur"
        else
            _tkvtool_reply "-d --map read write dump load i2c edid pci zv capture snapshot diff watch regs show
                regmap version --help --version" "$cur"
        fi
        return
    fi
    if [[ $cur == -* ]]; then
        local option offered=""
        for option in $(_tkvtool_options "$command"); do
            [[ $given == *" $option "* ]] || offered+="$option "
        done
        _tkvtool_reply "$offered" "$cur"
        return
    fi
    case $command:$position in
    read:0 | write:0)
        _tkvtool_reply "reg vram crtc pci $(_tkvtool_names)" "$cur"
        return
        ;;
    watch:* | "pci read:0" | "pci write:0")
        _tkvtool_reply "$(_tkvtool_names)" "$cur"
        return
        ;;
    show:*)
        _tkvtool_reply "$(_tkvtool_names blocks)" "$cur"
        return
        ;;
    diff:* | "regmap check:"*)
        _tkvtool_files
        return
        ;;
    esac
    if [[ $command == load && $position == 2 ]]; then
        _tkvtool_files
        return
    fi
    _tkvtool_reply "$(_tkvtool_operand "$command" "$position")" "$cur"
}

complete -F _tkvtool tkvtool tkvtool-sim
