#!/usr/bin/env bash
# check_wine_setup_options.sh VERSION PROGRAM: ornlux-wine-setup answers
# --version and --help (exit 0, nothing on standard error), and refuses a
# wrong command line with exit status 2 and a hint, changing nothing.
set -euo pipefail
version=$1
program=$2

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}
err=$(mktemp)
trap 'rm -f "$err"' EXIT

status=0
out=$("$program" --version 2>"$err") || status=$?
[[ $status == 0 && $out == "ornlux-wine-setup $version" && ! -s $err ]] ||
    fail "--version: status $status, '$out', $(cat "$err")"

status=0
out=$("$program" --help 2>"$err") || status=$?
[[ $status == 0 && $out == "Usage: ornlux-wine-setup [--prefix DIR] [--undo] [--dry-run]"* ]] ||
    fail "--help: status $status, '$out'"
[[ $out == *"ornlux-wine-setup(1)"* && ! -s $err ]] || fail "--help names no manual page"

status=0
out=$("$program" --prefix 2>"$err") || status=$?
[[ $status == 2 && -z $out ]] || fail "--prefix without a folder: status $status, '$out'"
grep -q "^Try 'ornlux-wine-setup --help'" "$err" || fail "no hint after a wrong command line"

status=0
out=$(WINEPREFIX=/nonexistent/prefix "$program" 2>"$err") || status=$?
[[ $status == 1 ]] || fail "a missing prefix: status $status"
grep -qx "ornlux-wine-setup: there is no Wine prefix at /nonexistent/prefix" "$err" ||
    fail "a missing prefix: $(cat "$err")"

# In Russian where the machine has the locale (the language tests make it).
if locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    out=$(LANGUAGE= LC_ALL=ru_RU.UTF-8 "$program" --help 2>"$err") || fail "--help in Russian"
    [[ $out == "Использование: ornlux-wine-setup"* ]] || fail "--help in Russian: '$out'"
    out=$(LANGUAGE= LC_ALL=ru_RU.UTF-8 WINEPREFIX=/nonexistent "$program" 2>&1) || true
    [[ $out == "ornlux-wine-setup: префикса Wine нет: /nonexistent" ]] ||
        fail "a refusal in Russian: '$out'"
fi

((failed == 0)) && echo "ornlux-wine-setup answers its options"
exit "$failed"
