#!/usr/bin/env bash
# ensure_russian_locale.sh: makes the ru_RU.UTF-8 locale, which the language
# tests run under, available on this machine: generates it with localedef
# (into the system's locale archive, as locale-gen does) when it is missing.
# That needs root and the locales package's definitions; without them the
# script skips, and so do the tests that need the locale.
set -euo pipefail

has_locale() {
    locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'
}

if has_locale; then
    echo "ru_RU.UTF-8 is available"
    exit 0
fi
if ((EUID != 0)); then
    echo "SKIP: ru_RU.UTF-8 is missing and only root can generate it"
    exit 77
fi
if [[ ! -e /usr/share/i18n/locales/ru_RU ]] || ! command -v localedef >/dev/null; then
    echo "SKIP: ru_RU.UTF-8 is missing and the locales package is not installed"
    exit 77
fi
localedef --inputfile=ru_RU --charmap=UTF-8 ru_RU.UTF-8
if ! has_locale; then
    echo "FAIL: localedef ran, yet ru_RU.UTF-8 is not among the locales"
    exit 1
fi
echo "generated ru_RU.UTF-8"
