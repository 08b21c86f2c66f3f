#!/usr/bin/env bash
# The command lines of both programs: --version and --help answer without a
# display and without a settings file, a command line that cannot be used
# ends with status 2 and says why.
#   command_line.sh KESTREL_CLI [KESTREL]
set -u
cli=$1 gui=${2:-}
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

out=$("$cli" --version) || fail "kestrel-cli --version failed"
[[ $out =~ ^kestrel-cli\ 8\.2c\ 20210408$ ]] || fail "kestrel-cli --version: $out"
out=$("$cli" help) || fail "kestrel-cli help failed"
grep -q -- '--version' <<<"$out" || fail "kestrel-cli help does not name --version"

if [ -n "$gui" ]; then
    # No display at all: --version and --help must not need one.
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gui" --version 2>&1) ||
        fail "kestrel --version failed: $out"
    [ "$out" = "kestrel 8.2c 20210408" ] || fail "kestrel --version: $out"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gui" --help 2>&1) ||
        fail "kestrel --help failed: $out"
    grep -q '^usage: kestrel \[OPTION\]... \[LEFT \[RIGHT\]\]$' <<<"$out" || fail "kestrel --help: $out"
    # The toolkit's own options do not hide ours.
    out=$(QT_QPA_PLATFORM=offscreen "$gui" -platform offscreen --version 2>&1)
    [ "$out" = "kestrel 8.2c 20210408" ] || fail "kestrel -platform offscreen --version: $out"
    out=$(QT_QPA_PLATFORM=offscreen "$gui" --bogus 2>&1)
    rc=$?
    [ $rc -eq 2 ] || fail "kestrel --bogus ended with $rc"
    grep -q 'unknown option --bogus' <<<"$out" || fail "kestrel --bogus said: $out"
    out=$(QT_QPA_PLATFORM=offscreen "$gui" a b c 2>&1)
    rc=$?
    [ $rc -eq 2 ] || fail "kestrel a b c ended with $rc"
    [ ! -e Kestrel.ini ] || fail "a refused command line wrote Kestrel.ini"
fi
exit $status
