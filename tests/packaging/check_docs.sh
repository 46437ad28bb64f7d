#!/usr/bin/env bash
# check_docs.sh PACKAGING_DIR: the manual pages render without a warning and
# the desktop entries pass desktop-file-validate (hints are fine, warnings
# and errors are not).
set -euo pipefail
dir=$1

for tool in man desktop-file-validate; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

failed=0
for page in "$dir"/ornfig.1 "$dir"/ornpage.1 "$dir"/ornlux-wine-setup.1; do
    # Both a UTF-8 and a plain ASCII locale: the pages must render in either.
    for locale in C.UTF-8 C; do
        warnings=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        if [[ -n $warnings ]]; then
            echo "FAIL: $page in the $locale locale:"
            echo "$warnings"
            failed=1
        fi
    done
    name=$(lexgrog "$page" 2>&1) || true
    if [[ $name != *"$(basename "$page" .1) - "* ]]; then
        echo "FAIL: $page has no NAME line that whatis can read: $name"
        failed=1
    fi
done

for entry in "$dir"/ornfig.desktop "$dir"/ornpage.desktop; do
    status=0
    report=$(desktop-file-validate "$entry" 2>&1) || status=$?
    if ((status != 0)) || grep -qE '(error|warning):' <<<"$report"; then
        echo "FAIL: $entry:"
        echo "$report"
        failed=1
    fi
done

((failed == 0)) && echo "manual pages and desktop entries are clean"
exit "$failed"
