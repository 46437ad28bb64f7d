#!/usr/bin/env bash
# extract-messages.sh SOURCE_DIR OUTPUT VERSION: gathers the texts the
# programs' sources mark for translation (_("..."), N_("...")) into the
# message template OUTPUT.
set -euo pipefail
source_dir=$1
output=$2
version=$3

cd "$source_dir"
list=$(mktemp)
trap 'rm -f "$list"' EXIT
find foundation figure page wine-setup -name '*.cc' -o -name '*.h' | LC_ALL=C sort >"$list"
xgettext --language=C++ --from-code=UTF-8 --keyword=_ --keyword=N_ \
    --add-comments=TRANSLATORS: --sort-by-file \
    --package-name=ornlux-viewers --package-version="$version" \
    --msgid-bugs-address=ornlux-viewers@example.org --files-from="$list" --output="$output"
