#!/usr/bin/env bash
# check_options.sh VERSION PROGRAM...: each program answers --version with
# "NAME VERSION" and --help with its usage, exits 0 and writes nothing on
# standard error, all without a display; "-- --help" is an item path, so the
# program goes on to open a display (which it cannot).
set -euo pipefail
# The texts checked are the English ones, whatever the caller's locale.
export LC_ALL=C.UTF-8 LANGUAGE=
version=$1
shift

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

err=$(mktemp)
trap 'rm -f "$err"' EXIT

for program in "$@"; do
    name=$(basename "$program")

    status=0
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version 2>"$err") || status=$?
    [[ $status == 0 ]] || fail "$name --version exited with $status"
    [[ $out == "$name $version" ]] || fail "$name --version printed '$out', not '$name $version'"
    [[ ! -s $err ]] || fail "$name --version wrote on standard error: $(cat "$err")"

    status=0
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help 2>"$err") || status=$?
    [[ $status == 0 ]] || fail "$name --help exited with $status"
    [[ $out == "Usage: $name ITEM-PATH"* ]] || fail "$name --help does not begin with a usage: $out"
    [[ $out == *"orn.ini"* && $out == *"$name(1)"* ]] ||
        fail "$name --help names neither the configuration file nor the manual page"
    [[ ! -s $err ]] || fail "$name --help wrote on standard error: $(cat "$err")"

    status=0
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" -- --help 2>"$err") || status=$?
    [[ $status == 1 && -z $out ]] || fail "$name -- --help: status $status, output '$out'"
    grep -q "^$name: cannot open the display" "$err" ||
        fail "$name -- --help did not go on to start: $(cat "$err")"
done

((failed == 0)) && echo "--help and --version answered without a display"
exit "$failed"
