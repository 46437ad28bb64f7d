#!/usr/bin/env bash
# ab-ornfig.sh [-n N] ORNFIG_A ORNFIG_B [OUTDIR [CASE...]]
#
# Two ornfig binaries on the same inputs, in turns: A, B, A, B, ... N times
# each (default 10) per case, each run on a fresh Xvfb with openbox. The
# machine's speed drifts by more than many changes are worth, and turns
# take the drift out of the difference. CASEs are figure, scan and huge
# (default all three); OUTDIR as for compare-ornfig.sh.
#
# For each case and binary it prints the medians of first_frame_ms (the
# final screen), map_ms and complete_ms (the first screen that differs from
# the final one in no more tiles than one row across the window: the title
# text, which the caption ticker changes), and of the peak RSS in MB.
# Every run is kept in OUTDIR/ab.tsv.
set -euo pipefail
# shellcheck source=bench/prepare.sh
source "$(dirname "${BASH_SOURCE[0]}")/prepare.sh"

usage="usage: $0 [-n N] ORNFIG_A ORNFIG_B [OUTDIR [CASE...]]"
runs=10
if [[ ${1:-} == -n ]]; then
    runs=${2:?$usage}
    shift 2
fi
(($# >= 2)) || {
    echo "$usage" >&2
    exit 2
}
binary_a=$(realpath "$1")
binary_b=$(realpath "$2")
out=${3:-${TMPDIR:-/tmp}/ornfig-bench}
shift $(($# < 3 ? $# : 3))
cases=("$@")
((${#cases[@]} > 0)) || cases=(figure scan huge)

mkdir -p "$out"
out=$(cd "$out" && pwd -P)
ORNFIG=$binary_a bench_prepare "$out"

timeline=$(mktemp)
trap 'rm -f "$timeline"' EXIT

results=$out/ab.tsv
printf 'case\tbinary\trun\tfirst_frame_ms\tmap_ms\tcomplete_ms\trss_mb\tothers_pct\n' >"$results"
for case in "${cases[@]}"; do
    for ((run = 1; run <= runs; run++)); do
        for side in A B; do
            binary=$binary_a
            [[ $side == B ]] && binary=$binary_b
            line=$("$bench_harness/first-frame.sh" --wm --settle 400 --timeline "$timeline" -- \
                env WINEPREFIX="$bench_prefix" "$binary" "C:\\Bench\\htm\\$case.htm")
            printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$case" "$side" "$run" \
                "$(bench_field first_frame_ms "$line")" "$(bench_field map_ms "$line")" \
                "$(bench_complete_ms "$timeline" "$line")" "$(bench_field rss_mb "$line")" \
                "$(bench_field others_pct "$line")" >>"$results"
        done
    done
done

python3 - "$results" "$binary_a" "$binary_b" <<'EOF'
import csv, statistics, sys
rows = list(csv.DictReader(open(sys.argv[1]), delimiter="\t"))
print(f"A = {sys.argv[2]}\nB = {sys.argv[3]}")
print(f"{'case':8} {'':2} {'first_frame_ms':>15} {'map_ms':>8} {'complete_ms':>12} {'rss_mb':>7}")
def median(group, key):
    values = [float(r[key]) for r in group if r[key] not in ("", "NA")]
    return f"{statistics.median(values):.1f}" if values else "NA"
for case in dict.fromkeys(r["case"] for r in rows):
    for side in "AB":
        group = [r for r in rows if r["case"] == case and r["binary"] == side]
        print(f"{case:8} {side:2} {median(group, 'first_frame_ms'):>15} {median(group, 'map_ms'):>8}"
              f" {median(group, 'complete_ms'):>12} {median(group, 'rss_mb'):>7}")
EOF
echo "every run: $results"
