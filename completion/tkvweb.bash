# bash completion for tkvweb and tkvweb-sim: its options, and file names
# for the options that take one.
_tkvweb() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        -t|--token-file|--map) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        -l|--listen) COMPREPLY=($(compgen -W "127.0.0.1:8420 127.0.0.1:0 [::1]:8420" -- "$cur")); return ;;
        -d|--device) return ;;
    esac
    COMPREPLY=($(compgen -W "--listen --read-only --token-file --map --device --help --version" -- "$cur"))
}
complete -F _tkvweb tkvweb tkvweb-sim
