#!/usr/bin/env bash
# Installs the build into a temporary prefix (and once more under DESTDIR),
# checks what lands where, runs the installed kestrel-cli from a folder of
# its own without a Kestrel.ini on a hard-disk image and an Extended BASIC
# conversion (both libraries), and uninstalls through the manifest.
#   install_tree.sh BUILD_DIR SOURCE_DIR GUI(ON|OFF)
set -u
build=$1 source=$2 gui=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_file() { [ -f "$1" ] || fail "missing $1"; }

# Everything is in the unnamed component; installing it by name writes its
# own manifest, so a manifest left by "make install" stays as it is.
component=Unspecified
manifest=$build/install_manifest_$component.txt
install_into() { # PREFIX [DESTDIR]
    DESTDIR=${2:-} cmake --install "$build" --prefix "$1" --component "$component" >/dev/null ||
        fail "cmake --install --prefix $1 ${2:+(DESTDIR $2)}"
}

check_tree() { # ROOT: the prefix as it lies on disk
    local p=$1 size
    expect_file "$p/bin/kestrel-cli"
    [ -x "$p/bin/kestrel-cli" ] || fail "$p/bin/kestrel-cli is not executable"
    expect_file "$p/lib/kestrel/Brackenly32.so"
    expect_file "$p/lib/kestrel/Wendover32.so"
    expect_file "$p/share/doc/kestrel/kestrel.html"
    expect_file "$p/share/man/man1/kestrel-cli.1"
    expect_file "$p/share/bash-completion/completions/kestrel-cli"
    if [ "$gui" = ON ]; then
        expect_file "$p/bin/kestrel"
        expect_file "$p/share/man/man1/kestrel.1"
        expect_file "$p/share/bash-completion/completions/kestrel"
        expect_file "$p/share/applications/org.kestrel.Kestrel.desktop"
        expect_file "$p/share/metainfo/org.kestrel.Kestrel.metainfo.xml"
        expect_file "$p/share/mime/packages/kestrel.xml"
        expect_file "$p/share/icons/hicolor/scalable/apps/org.kestrel.Kestrel.svg"
        for size in 16 32 48 64 128 256; do
            expect_file "$p/share/icons/hicolor/${size}x$size/apps/org.kestrel.Kestrel.png"
        done
    fi
}

run_from_elsewhere() { # CLI: a hard-disk image and an xb conversion
    local cli=$1 work out
    work=$(mktemp -d "$scratch/work.XXXXXX")
    [ ! -e "$work/Kestrel.ini" ] || fail "a Kestrel.ini in $work"
    printf '10 PRINT "HELLO"\n20 END\n' >"$work/hello.txt"
    (
        cd "$work" || exit 1
        unset KESTREL_DRIVES
        "$cli" mkhd . games --volume GAMES:65536 >/dev/null || echo "mkhd failed" >&2
        "$cli" xb --name HELLO hello.txt games.img || echo "xb failed" >&2
        "$cli" ls games.img || echo "ls failed" >&2
        "$cli" view games.img/HELLO || echo "view failed" >&2
    ) >"$work/out" 2>"$work/err"
    out=$(cat "$work/out")
    [ ! -s "$work/err" ] || fail "$cli said on stderr: $(cat "$work/err")"
    grep -q 'HELLO  *1  PROGRAM' <<<"$out" || fail "ls of the hard-disk image does not list HELLO: $out"
    grep -q '10 PRINT "HELLO"' <<<"$out" || fail "the xb program does not list: $out"
}

prefix=$scratch/prefix
install_into "$prefix"
check_tree "$prefix"
cp "$manifest" "$scratch/prefix.manifest"
run_from_elsewhere "$prefix/bin/kestrel-cli"
version=$("$prefix/bin/kestrel-cli" --version)
[[ $version =~ ^kestrel-cli\ [0-9]+\.[0-9]+[a-z]?\ [0-9]+$ ]] || fail "kestrel-cli --version: $version"
if [ "$gui" = ON ]; then
    version=$(cd "$scratch" && QT_QPA_PLATFORM=offscreen "$prefix/bin/kestrel" --version)
    [[ $version =~ ^kestrel\ [0-9]+\.[0-9]+[a-z]?\ [0-9]+$ ]] || fail "kestrel --version: $version"
fi

# A staged install, as packagers make one: the programs find the libraries
# of the tree they are in, not of the prefix they were meant for.
stage=$scratch/stage
install_into /usr "$stage"
check_tree "$stage/usr"
# The manifest names the files as they will lie once the tree is in place.
grep -q "^/usr/bin/kestrel-cli\$" "$manifest" || fail "the manifest does not name /usr/bin/kestrel-cli"
run_from_elsewhere "$stage/usr/bin/kestrel-cli"
DESTDIR=$stage cmake -DMANIFEST="$manifest" -P "$source/dist/uninstall.cmake" >/dev/null ||
    fail "uninstall of the staged tree"
left=$(find "$stage" -type f -o -type l)
[ -z "$left" ] || fail "left behind in the staged tree: $left"

# Uninstall through the manifest of the first install.
cmake -DMANIFEST="$scratch/prefix.manifest" -P "$source/dist/uninstall.cmake" >/dev/null ||
    fail "uninstall"
left=$(find "$prefix" -type f -o -type l)
[ -z "$left" ] || fail "left behind after uninstall: $left"
own=$(find "$prefix" -type d -name kestrel)
[ -z "$own" ] || fail "folders left behind after uninstall: $own"
rm -f "$manifest"

[ "$failures" -eq 0 ]
