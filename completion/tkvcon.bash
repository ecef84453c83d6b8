# bash completion for tkvcon and tkvcon-sim: the one-shot modes, their
# options, and the values of the options that take one of a few numbers.

_tkvcon_options() {
    case $1 in
    reg | vram) echo "-a -o -w -v -n" ;;
    i2c) echo "-c -d -a -o -v -n" ;;
    zv) echo "-c -i -x -y -w -h -l -t -e" ;;
    esac
}

# The choices of an option's operand; nothing for free numbers.
_tkvcon_values() {
    case $1:$2 in
    reg:-o | vram:-o | i2c:-o) echo "0 1" ;;
    reg:-w | vram:-w) echo "1 2 4 8" ;;
    i2c:-c | zv:-c | zv:-i | zv:-t | zv:-e) echo "0 1" ;;
    esac
}

# Offers the words of $1 that begin with $2.
_tkvcon_reply() {
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$2")
}

_tkvcon() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        _tkvcon_reply "reg vram i2c zv ver version --help" "$cur"
        return
    fi
    local mode=${COMP_WORDS[1]}
    local previous=${COMP_WORDS[COMP_CWORD - 1]}
    local options
    options=$(_tkvcon_options "$mode")
    [[ -n $options ]] || return
    if [[ " $options " == *" $previous "* ]]; then
        _tkvcon_reply "$(_tkvcon_values "$mode" "$previous")" "$cur"
        return
    fi
    _tkvcon_reply "$options" "$cur"
}

complete -F _tkvcon tkvcon tkvcon-sim
