#!/usr/bin/env bash
# The desktop entry, the AppStream metainfo and the MIME types, checked by the
# tools the desktops themselves use. Exit 77 (skipped) when the tool is absent.
#   validate_desktop.sh desktop|metainfo|mime SOURCE_DIR
set -u
what=$1 dist=$2/dist
id=org.kestrel.Kestrel
need() { command -v "$1" >/dev/null || { echo "$1 is not installed" >&2; exit 77; }; }
case $what in
desktop)
    need desktop-file-validate
    out=$(desktop-file-validate "$dist/$id.desktop" 2>&1)
    status=$?
    [ -n "$out" ] && echo "$out"
    # Hints are advice, anything else is a fault.
    [ $status -eq 0 ] && ! grep -v ': hint: ' <<<"$out" | grep -q .
    ;;
metainfo)
    need appstreamcli
    appstreamcli validate --no-net "$dist/$id.metainfo.xml"
    ;;
mime)
    need update-mime-database
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    mkdir -p "$scratch/mime/packages"
    cp "$dist/kestrel-mime.xml" "$scratch/mime/packages/kestrel.xml"
    out=$(XDG_DATA_HOME=$scratch update-mime-database "$scratch/mime" 2>&1) || { echo "$out"; exit 1; }
    # The database builder warns about what it does not understand, and
    # still succeeds.
    [ -z "$out" ] || { echo "$out"; exit 1; }
    # Every glob and type made it in, and the desktop entry offers each type.
    status=0
    for glob in '*.dsk' '*.tfi' '*.v9t9' '*.ark' '*.cf7'; do
        grep -qF ":$glob" "$scratch/mime/globs" || { echo "no type for $glob"; status=1; }
    done
    for type in $(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$dist/kestrel-mime.xml"); do
        grep -q "^MimeType=.*$type;" "$dist/$id.desktop" || { echo "desktop entry lacks $type"; status=1; }
        grep -q "<mediatype>$type</mediatype>" "$dist/$id.metainfo.xml" ||
            { echo "metainfo lacks $type"; status=1; }
    done
    # A TIFILES file is known by its header whatever its name.
    grep -q 'application/x-ti99-tifiles' "$scratch/mime/magic" || { echo "no magic for TIFILES"; status=1; }
    exit $status
    ;;
esac
