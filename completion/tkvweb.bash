# bash completion for tkvweb and tkvweb-sim: the options its --help lists,
# and file names for the options that take one.
_tkvweb() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    case $prev in
    -t | --token-file | --map)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    -l | --listen)
        mapfile -t COMPREPLY < <(compgen -W "127.0.0.1:8470 127.0.0.1:0 [::1]:8470" -- "$cur")
        return
        ;;
    -d | --device | -a | --allow-host) return ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$("${COMP_WORDS[0]}" --help 2>/dev/null | grep -oE -- '--[a-z-]+')" -- "$cur")
}
complete -F _tkvweb tkvweb tkvweb-sim
