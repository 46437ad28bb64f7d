#!/usr/bin/env bash
# test-bench.sh BENCH_ZOOM_STEP ORNFIG: checks the benchmark tools on the sample
# textbook's figures: the tree ornfig-tree.sh lays out (what ornfig reads
# there, byte for byte) and that bench_zoom_step opens it and times every
# step; and, where the shared first-frame harness is installed, that
# window-complete.sh measures ornfig against gtk-hello and ab-ornfig.sh two
# binaries in turns. The zoom part needs a display; without one it is
# skipped (exit 77).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
repo=$(cd "$here/.." && pwd -P)
zoom_step=$1
ornfig=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/ornfig-bench-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check DESCRIPTION COMMAND...: one assertion
    local what=$1
    shift
    if ! "$@"; then
        echo "FAIL: $what" >&2
        failures=$((failures + 1))
    fi
}

fails() { ! "$@" 2>/dev/null; }

# Inputs: three sample figures under the benchmark's names.
mkdir "$work/in"
cp "$repo/data/drive_c/Book/jpg/f01_1.jpg" "$work/in/figure.jpg"
cp "$repo/data/drive_c/Book/jpg/f02_1.jpg" "$work/in/scan.jpg"
cp "$repo/data/drive_c/Extra/jpg/f12_1.jpg" "$work/in/huge.jpg"

# ---- the tree
prefix=$("$here/ornfig-tree.sh" "$work/in" "$work/out")
drive=$work/out/drive_c
check "prints the prefix" test "$prefix" = "$(cd "$work/out/prefix" && pwd -P)"
check "c: leads to the drive" test "$(cd "$prefix/dosdevices/c:" && pwd -P)" = "$(cd "$drive" && pwd -P)"
check "orn.ini maps [default] to C:\\Bench, CR LF" \
    cmp -s "$drive/Program Files/Ornlux/orn.ini" <(printf '[default]\r\nC:\\Bench\r\n')
for name in figure scan huge; do
    check "$name.jpg is the input" cmp -s "$drive/Bench/jpg/$name.jpg" "$work/in/$name.jpg"
    caption=$(iconv -f CP1251 -t UTF-8 "$drive/Bench/htm/orn/$name.htm")
    check "$name caption is one Cyrillic line ending in CR LF" \
        grep -qxP 'Рис\. [^\r\n]+\r' <<<"$caption"
done
check "pick.wav is the sample's" cmp -s "$drive/Bench/wav/pick.wav" "$repo/data/drive_c/Book/wav/pick.wav"
check "a second run rebuilds the tree" "$here/ornfig-tree.sh" "$work/in" "$work/out" >/dev/null
rm "$work/in/scan.jpg"
check "a missing input fails" fails "$here/ornfig-tree.sh" "$work/in" "$work/out2"

if ((failures > 0)); then exit 1; fi

# ---- the zoom step, in process
if [[ -z ${DISPLAY:-} ]]; then
    echo "no display: bench_zoom_step not run" >&2
    exit 77
fi
output=$(WINEPREFIX=$prefix "$zoom_step" -n 1 'C:\Bench\htm\figure.htm')
echo "$output"
for step in '50->60' '60->50' '50->40' '40->50'; do
    check "step $step timed" grep -qE "^$step +[0-9.]+ \[.*\] +[0-9.]+ \[.*\] +[0-9.]+ \[" <<<"$output"
done
check "reports the picture's natural size" grep -q '(800x600)' <<<"$output"

# ---- window-complete.sh, on one run of the real inputs
harness=${BENCH_HARNESS:-/work/shared/bench}
# The harness builds its watcher on first use, against libxdamage and libxext.
if [[ -x $harness/first-frame.sh ]] && pkg-config --exists xdamage xext; then
    output=$(ORNFIG=$ornfig "$here/window-complete.sh" -n 1 "$work/bench" 2>&1)
    echo "$output" | tail -n 4
    check "window complete measured" \
        grep -qE '^ornfig figure.jpg window complete: +[0-9.]+ \[' <<<"$output"
    check "gtk-hello measured" grep -qE '^gtk-hello first frame: +[0-9.]+ \[' <<<"$output"
    # ab-ornfig.sh, once each in turns, on the inputs made above
    output=$("$here/ab-ornfig.sh" -n 1 "$ornfig" "$ornfig" "$work/bench" figure 2>&1)
    echo "$output" | tail -n 3
    for side in A B; do
        check "A/B measures $side" \
            grep -qE "^figure +$side +[0-9.]+ +[0-9.]+ +[0-9.]+ +[0-9.]+$" <<<"$output"
    done
else
    echo "no first-frame harness at $harness (or no libxdamage-dev): window-complete.sh not run" >&2
fi
((failures == 0))
