#!/usr/bin/env bash
# Runs clang-tidy, with the checks in .clang-tidy, over every source file of
# the project: those of the default build, and the fuzz targets, which only
# the fuzz build compiles. Configures both builds when needed (building
# them is not). Prints the findings; the exit status is non-zero if there
# are any. A regular expression as the argument takes the place of the
# file set (matched against the path from the repository root), for
# example scripts/tidy.sh 'tests/unit/.*\.cc$'.
#
# On two cores the whole tree takes about half an hour.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
sources=${1:-'(foundation|figure|page|wine-setup|tools|tests|bench)/.*\.cc$'}

[[ -f build/compile_commands.json ]] || cmake --preset default >/dev/null
[[ -f build-fuzz/compile_commands.json ]] || cmake --preset fuzz >/dev/null

# tidy DATABASE_FOLDER REGEX: clang-tidy on that build's files under the
# repository whose path matches REGEX (build output never does).
tidy() {
    run-clang-tidy -p "$1" -j "$(nproc)" -quiet "^$root/$2" 2>/dev/null || true
}

findings=$(
    {
        tidy build "($sources)"
        tidy build-fuzz "(?=tests/fuzz/)($sources)"
    } | sed 's/\x1b\[[0-9;]*m//g' | { grep -E '^/.*: (warning|error):' || true; } | sort -u
)
if [[ -n $findings ]]; then
    echo "$findings"
    echo "tidy.sh: $(wc -l <<<"$findings") findings" >&2
    exit 1
fi
echo "tidy.sh: no findings"
