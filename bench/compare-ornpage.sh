#!/usr/bin/env bash
# compare-ornpage.sh [-n N] [-t SECONDS] [--variant NAME WORDS]... [OUTDIR]
#
# Measures ornpage against surf on the harness's page: makes the benchmark
# inputs (shared make-inputs.sh, kept while their checksums match), lays the
# page out as a textbook page (ornpage-tree.sh), builds ornpage (default
# preset), then
#   - runs the shared compare.sh on surf and surf-nocomp (its built-in cases),
#     surf-nocomp-max (surf-nocomp maximised, as large as ornpage's window)
#     and ornpage: one warm-up and N measured runs per case (default 5;
#     0 skips this part);
#   - measures the idle CPU of surf, surf-nocomp and ornpage over SECONDS
#     (default 60; 0 skips this part) with idle-cpu-ornpage.sh;
# and prints one table: first paint, first frame, PSS and RSS of all
# processes, idle CPU, and how ornpage stands against its goals (first paint
# at most 0.8 x surf's, first frame at most surf-nocomp's, with its ratio to
# surf-nocomp-max's beside it, PSS at most surf-nocomp's, idle below 1 % of
# a core).
#
# --variant NAME WORDS adds a case NAME run as WORDS (shell words: optional
# VAR=VALUE settings, then a program) on the same item, e.g. another build:
#   --variant ornpage-demand '/tmp/variant/build/page/ornpage'
#   --variant ornpage-dmabuf 'WEBKIT_DISABLE_DMABUF_RENDERER=0 build/page/ornpage'
#
# OUTDIR (default ${TMPDIR:-/tmp}/ornpage-bench) receives inputs/, tree/,
# compare.sh's outputs (summary.txt, raw.tsv, refs/*.png: each case's final
# screen, look at them; logs/), idle/ and the table in ornpage-summary.txt.
# ORNPAGE=/path/to/ornpage measures that binary instead of building one;
# BENCH_HARNESS=DIR names the shared harness (default /work/shared/bench).
set -euo pipefail
# shellcheck source=bench/prepare.sh
source "$(dirname "${BASH_SOURCE[0]}")/prepare.sh"

usage() {
    echo "usage: $0 [-n N] [-t SECONDS] [--variant NAME WORDS]... [OUTDIR]" >&2
    exit 2
}
runs=5 idle_seconds=60
variants=()
while (($# > 0)); do
    case $1 in
    -n | -t)
        (($# >= 2)) || usage
        if [[ $1 == -n ]]; then runs=$2; else idle_seconds=$2; fi
        shift 2
        ;;
    --variant)
        (($# >= 3)) || usage
        variants+=("$2" "$3")
        shift 3
        ;;
    -*) usage ;;
    *) break ;;
    esac
done
(($# <= 1)) || usage
out=${1:-${TMPDIR:-/tmp}/ornpage-bench}
mkdir -p "$out"
out=$(cd "$out" && pwd -P)

# ---- inputs, tree, binary
inputs=$out/inputs
if ! (cd "$inputs" 2>/dev/null && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1); then
    echo "== making the inputs in $inputs" >&2
    "$bench_harness/make-inputs.sh" "$inputs" >&2
fi
prefix=$("$bench_dir/ornpage-tree.sh" "$inputs" "$out/tree")
if [[ -n ${ORNPAGE:-} ]]; then
    ornpage=$(realpath "$ORNPAGE")
else
    echo "== building ornpage (default preset)" >&2
    (cd "$bench_repo" && { [[ -f build/CMakeCache.txt ]] || cmake --preset default >&2; } &&
        cmake --build --preset default -j2 --target ornpage >&2)
    ornpage=$bench_repo/build/page/ornpage
fi
[[ -x $ornpage ]] || {
    echo "compare-ornpage: no ornpage at $ornpage" >&2
    exit 1
}

# ---- the cases: NAME and shell words, as compare.sh's templates take them
# (paths quoted, the item's backslashes kept by single quotes).
item="'C:\\Bench\\htm\\page.htm'"
run_in_tree="env WINEPREFIX=$(printf %q "$prefix")"
names=(ornpage)
commands=("$run_in_tree $(printf %q "$ornpage") $item")
for ((i = 0; i < ${#variants[@]}; i += 2)); do
    names+=("${variants[i]}")
    commands+=("$run_in_tree ${variants[i + 1]} $item")
done

# surf-nocomp-max: surf without compositing in a maximised window, the size
# ornpage's window has (surf opens 800x600, 2.6 times fewer pixels to draw).
# surf has no size option: it runs as a link named surf-max (GTK names the
# window after the program), and openbox, which reads its configuration from
# XDG_CONFIG_DIRS too, maximises windows of that name only. Every case still
# gets the system's openbox settings.
same_size_peer() {
    local system_rc=/etc/xdg/openbox/rc.xml config=$out/openbox-config
    local surf
    surf=$(command -v surf) || return 1
    grep -q '</applications>' "$system_rc" 2>/dev/null || return 1
    mkdir -p "$config/openbox" "$out/bin"
    sed 's|</applications>|<application name="surf-max"><maximized>yes</maximized></application>\n&|' \
        "$system_rc" >"$config/openbox/rc.xml"
    ln -sfn "$surf" "$out/bin/surf-max"
    export XDG_CONFIG_DIRS="$config:${XDG_CONFIG_DIRS:-/etc/xdg}"
    cases+=(--case surf-nocomp-max page.html
        "env WEBKIT_DISABLE_COMPOSITING_MODE=1 $(printf %q "$out/bin/surf-max") {url}")
}

if ((runs > 0)); then
    cases=()
    same_size_peer || echo "compare-ornpage: no surf-nocomp-max case (no surf or openbox rc.xml)" >&2
    for i in "${!names[@]}"; do cases+=(--case "${names[i]}" page.html "${commands[i]}"); done
    echo "== compare.sh -n $runs: $((${#cases[@]} / 4 + 2)) cases, $((runs + 1)) runs each" >&2
    "$bench_harness/compare.sh" -n "$runs" --only '^surf' --no-djpeg "${cases[@]}" "$inputs" "$out" >&2
fi

if ((idle_seconds > 0)); then
    url=$(printf %q "file://$inputs/page.html")
    idle_cases=(surf "surf $url" surf-nocomp "env WEBKIT_DISABLE_COMPOSITING_MODE=1 surf $url")
    for i in "${!names[@]}"; do idle_cases+=("${names[i]}" "${commands[i]}"); done
    echo "== idle CPU: $((${#idle_cases[@]} / 2)) programs, $idle_seconds s each" >&2
    "$bench_dir/idle-cpu-ornpage.sh" -t "$idle_seconds" -o "$out/idle" "${idle_cases[@]}" >&2
fi

# summary RAW.TSV IDLE.TSV: per case, first paint and first frame (median
# [min-max] of the measured runs that settled), median PSS and RSS summed
# over its processes, idle CPU of its process tree (and of Xvfb + openbox),
# then the goals for each case that is not surf.
summary() {
    awk -F'\t' '
        function add(list, v) { return list == "" ? v : list " " v }
        function stats(list,    v, n, i, j, t, m) {
            n = split(list, v, " ")
            if (n == 0) return "-"
            for (i = 2; i <= n; i++)
                for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
            m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
            last_median = m
            return sprintf("%.0f [%.0f-%.0f]", m, v[1], v[n])
        }
        function median(list) { stats(list); return list == "" ? "-" : sprintf("%.1f", last_median) }
        function seen(name) { if (!(name in known)) { known[name] = 1; order[++count] = name } }
        FNR == 1 { next }
        FILENAME == ARGV[1] {
            name = $2; sub("/.*", "", name); seen(name)
            if ($4 !~ /status=ok/) next
            k = split($4, kv, " ")
            for (i = 1; i <= k; i++) {
                split(kv[i], p, "=")
                if (p[2] != "NA") values[name, p[1]] = add(values[name, p[1]], p[2])
            }
            runs[name]++
        }
        FILENAME == ARGV[2] { seen($1); tree[$1] = $2; xside[$1] = $3 + $4 }
        END {
            printf "%-22s %4s  %-16s %-16s %6s %6s  %s\n", "case", "runs", "first_paint_ms",
                "first_frame_ms", "pss_mb", "rss_mb", "idle % (X+wm)"
            for (i = 1; i <= count; i++) {
                n = order[i]
                printf "%-22s %4d  %-16s %-16s %6s %6s  %s\n", n, runs[n],
                    stats(values[n, "first_paint_ms"]), stats(values[n, "first_frame_ms"]),
                    median(values[n, "pss_mb"]), median(values[n, "rss_mb"]),
                    n in tree ? sprintf("%.2f (%.2f)", tree[n], xside[n]) : "-"
            }
            stats(values["surf", "first_paint_ms"]); paint_goal = 0.8 * last_median
            stats(values["surf-nocomp", "pss_mb"]); pss_goal = last_median
            stats(values["surf-nocomp", "first_frame_ms"]); frame_goal = last_median
            same_goal = 0
            if (runs["surf-nocomp-max"]) { stats(values["surf-nocomp-max", "first_frame_ms"]); same_goal = last_median }
            printf "\nGoals: first paint <= 0.8 x surf = %.0f ms; first frame <= surf-nocomp = %.0f ms",
                paint_goal, frame_goal
            if (same_goal) printf " (maximised: %.0f ms)", same_goal
            printf ";\n       PSS <= surf-nocomp = %.0f MB; idle < 1 %% of one core\n", pss_goal
            for (i = 1; i <= count; i++) {
                n = order[i]
                if (n ~ /^surf/) continue
                stats(values[n, "first_paint_ms"]); paint = last_median
                stats(values[n, "first_frame_ms"]); frame = last_median
                stats(values[n, "pss_mb"]); pss = last_median
                printf "  %-22s paint %-6s  frame %-6s (%.2f x", n,
                    runs[n] ? (paint <= paint_goal ? "met" : "MISSED") : "-",
                    runs[n] ? (frame <= frame_goal ? "met" : "MISSED") : "-",
                    frame_goal ? frame / frame_goal : 0
                if (same_goal) printf "; maximised %.2f x", frame / same_goal
                printf ")  pss %-6s  idle %s\n",
                    runs[n] ? (pss <= pss_goal ? "met" : "MISSED") : "-",
                    n in tree ? (tree[n] < 1 ? "met" : "MISSED") : "-"
            }
        }' "$1" "$2"
}

# With -n 0 or -t 0 the table shows what an earlier run left.
mkdir -p "$out/idle"
touch "$out/raw.tsv" "$out/idle/idle.tsv"
summary "$out/raw.tsv" "$out/idle/idle.tsv" | tee "$out/ornpage-summary.txt"
echo
echo "Final screens to check by eye: $out/refs/*.png and $out/idle/*.png"
for log in "$out"/logs/ornpage*.log; do
    [[ -f $log ]] || continue
    if grep -q '^ornpage: ' "$log"; then
        echo "WARNING: ornpage reported errors in $log:"
        grep '^ornpage: ' "$log" | sort -u | head -n 3
    fi
done
