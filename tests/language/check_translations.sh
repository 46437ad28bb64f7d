#!/usr/bin/env bash
# check_translations.sh SOURCE_DIR VERSION: every text the sources mark for
# translation has an entry in every po/<language>.po (neither missing, nor
# empty, nor fuzzy), each catalogue compiles with its formats matching the
# English ones, and none of the textbook's own words is marked: they stay
# as they are under every locale.
set -euo pipefail
source_dir=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
template=$work/messages.pot
bash "$source_dir/po/extract-messages.sh" "$source_dir" "$template" "$version"

failed=0
while read -r language; do
    [[ -z $language || $language == \#* ]] && continue
    po=$source_dir/po/$language.po
    # msgcmp counts an empty or fuzzy entry as missing.
    if ! msgcmp "$po" "$template" 2>"$work/missing"; then
        echo "FAIL: po/$language.po lacks translations (cmake --build build --target update-po):"
        cat "$work/missing"
        failed=1
    fi
    if ! msgfmt --check --output-file=/dev/null "$po" 2>"$work/check"; then
        echo "FAIL: po/$language.po does not compile cleanly:"
        cat "$work/check"
        failed=1
    fi
done <"$source_dir/po/LINGUAS"

textbook_words=("уменьшить" "увеличить" "Свернуть" "Закрыть" "Форма1"
    "Рисунок для самостоятельного ответа.")
for word in "${textbook_words[@]}"; do
    if grep -qF "msgid \"$word\"" "$template"; then
        echo "FAIL: the textbook's own \"$word\" is marked for translation"
        failed=1
    fi
done

((failed == 0)) && echo "every marked text is translated"
exit "$failed"
