#!/usr/bin/env bash
# check_language.sh PROGRAM...: without a display, each program answers
# --help, and says that it cannot open the display, in Russian under
# LANG=ru_RU.UTF-8 and in English under C.UTF-8; the program's name, the
# option names, the configuration file's path and "NAME: " before a message
# are the same in both.
set -euo pipefail

if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
    echo "SKIP: ru_RU.UTF-8 is not available (tests/language/ensure_russian_locale.sh)"
    exit 77
fi

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# in_locale LANG COMMAND...: runs COMMAND without a display, in the locale a
# desktop session gives with LANG alone.
in_locale() {
    local lang=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$lang" "$@"
}

for program in "$@"; do
    name=$(basename "$program")

    russian=$(in_locale ru_RU.UTF-8 "$program" --help)
    english=$(in_locale C.UTF-8 "$program" --help)
    [[ $russian == "Использование: $name "* ]] || fail "$name --help in Russian begins: ${russian%%$'\n'*}"
    [[ $english == "Usage: $name ITEM-PATH"* ]] || fail "$name --help in English begins: ${english%%$'\n'*}"
    for kept in "--help" "--version" "orn.ini" "\$WINEPREFIX" "$name(1)"; do
        [[ $russian == *"$kept"* ]] || fail "$name --help in Russian lacks $kept"
    done

    status=0
    russian=$(in_locale ru_RU.UTF-8 "$program" 'C:\Book\htm\x01_1.htm' 2>&1) || status=$?
    [[ $status == 1 ]] || fail "$name without a display exited with $status"
    [[ $russian == "$name: не удаётся открыть дисплей"* ]] || fail "$name in Russian said: $russian"
    english=$(in_locale C.UTF-8 "$program" 'C:\Book\htm\x01_1.htm' 2>&1) || true
    [[ $english == "$name: cannot open the display"* ]] || fail "$name in English said: $english"

    # A locale the catalogues do not cover, even one the machine lacks, is English.
    other=$(in_locale de_DE.UTF-8 "$program" --help 2>&1)
    [[ $other == "Usage: $name ITEM-PATH"* ]] || fail "$name --help under de_DE.UTF-8 begins: ${other%%$'\n'*}"
done

((failed == 0)) && echo "the programs speak Russian under ru_RU.UTF-8 and English otherwise"
exit "$failed"
