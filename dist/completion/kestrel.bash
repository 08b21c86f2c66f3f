# bash completion for kestrel-cli and kestrel.
#
# Commands and their options come from "kestrel-cli help", so a new command
# completes without a change here. A word that leads into a disk image,
# archive, hard-disk image or card ("games.dsk/SU") completes with the names
# that "kestrel-cli ls --tsv" lists there; anything else completes as a PC path.

# The program that lists locations: the kestrel-cli beside the completed
# program when there is one, else the one on the PATH.
_kestrel_cli_program()
{
    local program=$1
    if [[ $program == */* && -x ${program%/*}/kestrel-cli ]]; then
        printf '%s\n' "${program%/*}/kestrel-cli"
    else
        printf '%s\n' kestrel-cli
    fi
}

# The usage lines of every command, one a line.
_kestrel_cli_usages()
{
    "$1" help 2>/dev/null | sed -n '/^commands:/,$ { /^  /s/^  //p; }'
}

# The options one usage line names ("[--yes|--no]" gives --yes and --no).
_kestrel_cli_options_of()
{
    local usage=$1 word
    usage=${usage//[\[\]|()]/ }
    for word in $usage; do
        [[ $word == --* ]] && printf '%s\n' "$word"
    done
}

# Names inside the container that the word's leading part names, each
# prefixed with that part; folders and containers get a trailing "/".
_kestrel_location_names()
{
    local cli=$1 cur=$2
    local head=${cur%/*} tail=${cur##*/}
    # A word whose leading part is a plain PC folder completes as a PC path.
    [[ $cur == */* && -n $head && ! -d $head ]] || return 1
    local inner=$head
    # The leading part must start inside a file that exists: an image.
    while [[ -n $inner && ! -f $inner ]]; do
        [[ $inner == */* ]] || return 1
        inner=${inner%/*}
    done
    [[ -f $inner ]] || return 1
    local type name
    local -a found=()
    # Columns: PC name, TI name, size, type, ... (tabs, empty cells kept by
    # awk; read would run blank separators together). The status line has no tab.
    while IFS='|' read -r name type; do
        name=${name%% *}
        [[ -z $name || $name == .. ]] && continue
        case $type in
        SUBDIR* | VOLUME* | DSK* | PC99* | PTIMG* | HDIMG* | CF7A+*) name+=/ ;;
        UPRDIR*) continue ;;
        esac
        # Names inside images compare without regard to case.
        if [[ ${name,,} == "${tail,,}"* ]]; then
            found+=("$head/$name")
        fi
    done < <("$cli" ls --tsv "$head" 2>/dev/null |
        awk -F'\t' 'NF > 1 { print ($2 != "" ? $2 : $1) "|" $4 }')
    COMPREPLY=("${found[@]}")
    compopt -o nospace 2>/dev/null
    return 0
}

_kestrel_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local cli
    cli=$(_kestrel_cli_program "${COMP_WORDS[0]}")
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        local commands
        commands="help --help --version $(_kestrel_cli_usages "$cli" | cut -d' ' -f1)"
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        return 0
    fi
    local command=${COMP_WORDS[1]}
    if [[ $cur == -* ]]; then
        local usage
        usage=$(_kestrel_cli_usages "$cli" | grep -m1 "^$command\\( \\|\$\\)")
        mapfile -t COMPREPLY < <(compgen -W "$(_kestrel_cli_options_of "$usage")" -- "$cur")
        return 0
    fi
    _kestrel_location_names "$cli" "$cur" && return 0
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    # A folder goes on with "/".
    if ((${#COMPREPLY[@]} == 1)) && [[ -d ${COMPREPLY[0]} ]]; then
        COMPREPLY[0]+=/
        compopt -o nospace 2>/dev/null
    fi
    return 0
}

_kestrel()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if [[ $prev == --screenshot ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return 0
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "--help --version --screenshot --" -- "$cur")
        return 0
    fi
    _kestrel_location_names "$(_kestrel_cli_program "${COMP_WORDS[0]}")" "$cur" && return 0
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    if ((${#COMPREPLY[@]} == 1)) && [[ -d ${COMPREPLY[0]} ]]; then
        COMPREPLY[0]+=/
        compopt -o nospace 2>/dev/null
    fi
    return 0
}

complete -F _kestrel_cli kestrel-cli
complete -F _kestrel kestrel
