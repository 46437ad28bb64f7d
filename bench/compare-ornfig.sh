#!/usr/bin/env bash
# compare-ornfig.sh [-n N] [OUTDIR]
#
# Reruns the whole first-frame comparison of ornfig with its peers: makes the
# benchmark inputs (shared make-inputs.sh, kept while their checksums match),
# lays them out as a textbook (ornfig-tree.sh), builds ornfig (default
# preset), then runs the shared compare.sh on feh, nsxiv, gpicview and eog,
# the bare GTK and Xlib windows (gtk-hello, xlib-hello), the GTK window
# with one word of text (gtk-hello-text) and ornfig on
# figure.jpg, scan.jpg and huge.jpg, N measured runs per case (default 5);
# then window-complete.sh, for when the small figure window is complete.
#
# OUTDIR (default ${TMPDIR:-/tmp}/ornfig-bench) receives inputs/, tree/ and
# compare.sh's own outputs: summary.txt, raw.tsv, refs/*.png (each case's
# final screen: look at them), logs/.
# ORNFIG=/path/to/ornfig measures that binary instead of building one;
# BENCH_HARNESS=DIR names the shared harness (default /work/shared/bench).
set -euo pipefail
# shellcheck source=bench/prepare.sh
source "$(dirname "${BASH_SOURCE[0]}")/prepare.sh"

bench_start -n N 5 "$@"
runs=$bench_value
out=$bench_out

# compare.sh evaluates each template as shell words: the paths are quoted,
# the item's backslashes kept by single quotes.
command="env WINEPREFIX=$(printf %q "$bench_prefix") $(printf %q "$bench_ornfig")"
cases=()
for name in figure scan huge; do
    cases+=(--case ornfig "$name.jpg" "$command 'C:\\Bench\\htm\\$name.htm'")
done
# The bare GTK window draws no text, so it loads no fonts; ornfig must draw
# its buttons' captions. The same window showing one word is the floor for a
# window with text.
cases+=(--case gtk-hello-text - "{bin}/gtk-hello 'увеличить'")
echo "== compare.sh -n $runs: 18 cases, $((runs + 1)) runs each; this takes a while" >&2
"$bench_harness/compare.sh" -n "$runs" --only '^(feh|nsxiv|gpicview|eog|gtk-hello|xlib-hello)/' \
    "${cases[@]}" "$bench_inputs" "$out"

# The small figure window's first_frame_ms is its title's first tick: when
# the window itself is complete, against the bare GTK window.
echo
echo "== window-complete.sh -n $runs: ornfig on figure.jpg in turns with gtk-hello" >&2
ORNFIG=$bench_ornfig "$(dirname "${BASH_SOURCE[0]}")/window-complete.sh" -n "$runs" "$out"

# What to check before believing the numbers.
echo
echo "Final screens to check by eye: $out/refs/*.png"
for log in "$out"/logs/ornfig_*.log; do
    [[ -f $log ]] || continue
    if grep -q '^ornfig: ' "$log"; then
        echo "WARNING: ornfig reported errors in $log:"
        grep '^ornfig: ' "$log" | sort -u | head -n 3
    fi
done
