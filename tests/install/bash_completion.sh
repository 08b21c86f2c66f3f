#!/usr/bin/env bash
# The bash completion: commands and options from "kestrel-cli help", names
# inside images from "kestrel-cli ls --tsv", PC paths otherwise.
#   bash_completion.sh SOURCE_DIR KESTREL_CLI
set -u
completion=$1/dist/completion/kestrel.bash cli=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
# shellcheck source=/dev/null
source "$completion"
status=0

complete_words() { # WORD... (the last is the one completed) -> one reply a line
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    case ${COMP_WORDS[0]} in
    *kestrel-cli) _kestrel_cli ;;
    *) _kestrel ;;
    esac
    printf '%s\n' "${COMPREPLY[@]}"
}
expect() { # WANTED WORD...: WANTED is among the replies
    local wanted=$1 got
    shift
    got=$(complete_words "$@")
    if ! grep -qxF -- "$wanted" <<<"$got"; then
        echo "FAIL: completing '$*' gave [${got//$'\n'/ }], not $wanted" >&2
        status=1
    fi
}
expect_none() { # WORD...: no reply at all
    local got
    got=$(complete_words "$@")
    [ -z "$got" ] || { echo "FAIL: completing '$*' gave [$got]" >&2; status=1; }
}

printf '10 PRINT "HELLO"\n20 END\n' >hello.txt
mkdir sub
{
    "$cli" mkdsk . GAMES &&
        "$cli" xb --name HELLO hello.txt GAMES.dsk &&
        "$cli" mkhd . hd --volume HD:65536 &&
        "$cli" mkdir hd.img UTIL &&
        "$cli" xb --name PROG hello.txt hd.img/UTIL
} >/dev/null || { echo "FAIL: could not make the images" >&2; exit 1; }

expect ls "$cli" l
expect --version "$cli" --v
expect pc99-to-dsk "$cli" pc99
expect --tsv "$cli" ls --t
expect --json "$cli" ls --sort 1 --j
expect --forth "$cli" view --f
expect GAMES.dsk/HELLO "$cli" view GAMES.dsk/H
expect GAMES.dsk/HELLO "$cli" view GAMES.dsk/
expect hd.img/UTIL/ "$cli" ls hd.img/
expect hd.img/util/PROG "$cli" view hd.img/util/p
expect_none "$cli" view GAMES.dsk/X
expect sub/ "$cli" ls su
expect hello.txt "$cli" xb hel
# The program itself: its options, and the same places.
expect --screenshot "$(dirname "$cli")/kestrel" --scr
expect GAMES.dsk/HELLO "$(dirname "$cli")/kestrel" GAMES.dsk/HE
exit $status
