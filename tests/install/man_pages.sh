#!/usr/bin/env bash
# The manual pages render without a warning, and they describe what the
# built programs offer: every usage line of "kestrel-cli help" (commands and
# their options) appears in kestrel-cli(1), every option of "kestrel --help"
# in kestrel(1). The lists come from the programs at test time, so a command
# added without its entry in the page fails here. Exit 77 without man.
#   man_pages.sh SOURCE_DIR KESTREL_CLI [KESTREL]
set -u
pages=$1/dist/man cli=$2 gui=${3:-}
command -v man >/dev/null || { echo "man is not installed" >&2; exit 77; }
status=0

# The text of a page as a reader sees it, with every blank taken out so that
# line filling cannot hide or fake a match.
render() { # PAGE -> rendered text on stdout, warnings on stderr
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1"
}
squeeze() { tr -d ' \t\n' | sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g'; }

warnings=$(mktemp)
trap 'rm -f "$warnings"' EXIT
check_page() { # PAGE: renders quietly; prints its squeezed text (one rendering)
    render "$1" 2>"$warnings" | squeeze
    if [ -s "$warnings" ]; then
        echo "FAIL: $1 renders with warnings:" >&2
        cat "$warnings" >&2
        return 1
    fi
}

cli_text=$(check_page "$pages/kestrel-cli.1") || status=1
usages=$("$cli" help | sed -n '/^commands:/,$ { /^  /s/^  //p; }')
[ -n "$usages" ] || { echo "FAIL: no commands in kestrel-cli help" >&2; exit 1; }
while IFS= read -r usage; do
    if [[ $cli_text != *"$(squeeze <<<"$usage")"* ]]; then
        echo "FAIL: kestrel-cli(1) lacks: $usage" >&2
        status=1
    fi
done <<<"$usages"
for section in EXITSTATUS ENVIRONMENT KESTREL_DRIVES FILES Kestrel.ini --version; do
    [[ $cli_text == *"$section"* ]] || { echo "FAIL: kestrel-cli(1) lacks $section" >&2; status=1; }
done

if [ -n "$gui" ]; then
    gui_text=$(check_page "$pages/kestrel.1") || status=1
    options=$("$gui" --help | grep -o -- '--[a-z-]*' | sort -u)
    for option in $options [LEFT[RIGHT]] EXITSTATUS ENVIRONMENT KESTREL_DRIVES Kestrel.ini; do
        [[ $gui_text == *"$option"* ]] || { echo "FAIL: kestrel(1) lacks $option" >&2; status=1; }
    done
fi
exit $status
