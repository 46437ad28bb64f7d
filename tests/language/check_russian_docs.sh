#!/usr/bin/env bash
# check_russian_docs.sh SOURCE_DIR: each Russian manual page
# (man/ru/NAME.1) renders without a warning under ru_RU.UTF-8 and C.UTF-8,
# has a NAME line that whatis can read, and keeps in step with its English
# page (packaging/NAME.1): as many sections, and every option the English
# page describes. Each desktop entry has its name and comment in Russian
# (desktop-file-validate checks the entries themselves).
set -euo pipefail
source_dir=$1

if ! command -v man >/dev/null; then
    echo "SKIP: man is not installed (scripts/install-deps.sh installs it)"
    exit 77
fi
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
    echo "SKIP: ru_RU.UTF-8 is not available (tests/language/ensure_russian_locale.sh)"
    exit 77
fi

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# The options a page describes: the bold "\-\-word" at the start of a line.
options_of() {
    grep -oE '^\.B \\-\\-[a-z]+' "$1" | sort -u
}

pages=("$source_dir"/man/ru/*.1)
((${#pages[@]} > 0)) || fail "no Russian manual pages in $source_dir/man/ru"
for page in "${pages[@]}"; do
    name=$(basename "$page" .1)
    for locale in ru_RU.UTF-8 C.UTF-8; do
        warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [[ -z $warnings ]] || fail "$page in the $locale locale:"$'\n'"$warnings"
    done
    whatis=$(lexgrog "$page" 2>&1) || true
    [[ $whatis == *"$name - "* ]] || fail "$page has no NAME line that whatis can read: $whatis"

    english=$source_dir/packaging/$name.1
    if [[ ! -e $english ]]; then
        fail "$page has no English page $english"
        continue
    fi
    sections_ru=$(grep -c '^\.SH' "$page")
    sections_en=$(grep -c '^\.SH' "$english")
    ((sections_ru == sections_en)) ||
        fail "$page has $sections_ru sections, the English page $sections_en"
    missing=$(comm -13 <(options_of "$page") <(options_of "$english"))
    [[ -z $missing ]] || fail "$page lacks options of the English page: $missing"
done

for entry in "$source_dir"/packaging/*.desktop; do
    for key in 'Name[ru]' 'Comment[ru]'; do
        grep -qF "$key=" "$entry" || fail "$entry has no $key"
    done
done

((failed == 0)) && echo "the Russian manual pages are clean and in step; the desktop entries speak Russian"
exit "$failed"
