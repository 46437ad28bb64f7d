#!/usr/bin/env bash
# window-complete.sh [-n N] [OUTDIR]
#
# When is ornfig's window on figure.jpg complete, against the bare GTK window
# (the harness's gtk-hello) in the same run? ornfig's title reads "Форма1"
# until the caption's first tick 200 ms after start-up, and on this small
# window that change is above the harness's allowance, so its first_frame_ms
# is the tick. Here the window counts as complete at the first screen from
# which every later one differs from the final screen in no more tiles
# than one row of tiles across the window (the title's text), read from
# the harness's timeline. The two programs run in turns, N times each
# (default 5), each on a fresh Xvfb with openbox.
#
# OUTDIR as for compare-ornfig.sh (default ${TMPDIR:-/tmp}/ornfig-bench);
# ORNFIG=/path/to/ornfig measures that binary.
set -euo pipefail
# shellcheck source=bench/prepare.sh
source "$(dirname "${BASH_SOURCE[0]}")/prepare.sh"

bench_start -n N 5 "$@"
runs=$bench_value
out=$bench_out

hello=$out/bin/gtk-hello
if [[ ! -x $hello ]]; then
    mkdir -p "$out/bin"
    # shellcheck disable=SC2046 # pkg-config's words are meant to split
    gcc -O2 -o "$hello" "$bench_harness/refs/gtk-hello.c" $(pkg-config --cflags --libs gtk+-3.0)
fi

timeline=$(mktemp)
trap 'rm -f "$timeline"' EXIT

results=$out/window-complete.tsv
printf 'run\tgtk_hello_first_frame_ms\tornfig_complete_ms\tornfig_first_frame_ms\tothers_pct\n' >"$results"
for ((run = 1; run <= runs; run++)); do
    hello_line=$("$bench_harness/first-frame.sh" --wm --settle 1000 -- "$hello")
    line=$("$bench_harness/first-frame.sh" --wm --settle 1000 --timeline "$timeline" -- \
        env WINEPREFIX="$bench_prefix" "$bench_ornfig" 'C:\Bench\htm\figure.htm')
    printf '%s\t%s\t%s\t%s\t%s\n' "$run" "$(bench_field first_frame_ms "$hello_line")" \
        "$(bench_complete_ms "$timeline" "$line")" "$(bench_field first_frame_ms "$line")" \
        "$(bench_field others_pct "$line")" >>"$results"
done

python3 - "$results" <<'EOF'
import csv, statistics, sys
rows = list(csv.DictReader(open(sys.argv[1]), delimiter="\t"))
def summary(key):
    values = sorted(float(r[key]) for r in rows if r[key] not in ("", "NA"))
    if not values:
        return None, "NA"
    median = statistics.median(values)
    return median, f"{median:.1f} [{values[0]:.1f}-{values[-1]:.1f}] ({len(values)}/{len(rows)})"
hello, hello_text = summary("gtk_hello_first_frame_ms")
ornfig, ornfig_text = summary("ornfig_complete_ms")
print(f"gtk-hello first frame:              {hello_text} ms")
print(f"ornfig figure.jpg window complete:  {ornfig_text} ms")
if hello and ornfig:
    print(f"ratio of the medians:               {ornfig / hello:.2f}")
EOF
echo "every run: $results"
