#!/usr/bin/env bash
# exec-timeline.sh NAME OUTDIR COMMAND [ARGS...]
#
# One run of COMMAND under the shared harness (first-frame.sh --wm), with the
# kernel's exec events recorded system-wide (perf, sched:sched_process_exec),
# and prints when each process of a web view started, in ms after the exec
# of the program called NAME, then the harness's screen changes (ms after
# the launch; a few ms before NAME's exec), e.g.:
#   ornpage@0 WebKitNetworkProcess@182 bwrap@259 xdg-dbus-proxy@278 bwrap@290 WebKitWebProcess@312
#   grab@251.6(5120) grab@736.2(4740) grab@779.9(1045)
# grab@T(N): N of the screen's 16x16 tiles changed at T. Shows where a first
# frame goes: how late the web process starts, and how long it takes from
# there to the page. Needs perf (linux-perf) and the right to trace the
# system (root, or kernel.perf_event_paranoid <= -1). OUTDIR keeps the
# recording (exec.data), the harness's timeline (timeline.tsv) and log.
set -euo pipefail
(($# >= 3)) || {
    echo "usage: $0 NAME OUTDIR COMMAND [ARGS...]" >&2
    exit 2
}
name=$1 out=$2
shift 2
mkdir -p "$out"
harness=${BENCH_HARNESS:-/work/shared/bench}

perf record -q -k CLOCK_MONOTONIC -e sched:sched_process_exec -a -o "$out/exec.data" \
    -- sleep 6 >/dev/null 2>&1 &
recorder=$!
sleep 0.5 # perf is recording
"$harness/first-frame.sh" --wm --settle 1500 --timeline "$out/timeline.tsv" --log "$out/log.txt" \
    -- "$@" | tr ' ' '\n' | grep -E '^(first_paint_ms|first_frame_ms|status)=' | tr '\n' ' '
echo
wait "$recorder"

perf script -i "$out/exec.data" -F comm,time,trace 2>/dev/null |
    awk -v name="$name" '
        { t = $2; sub(":", "", t); split($0, a, "filename="); split(a[2], b, " ")
          n = split(b[1], path, "/"); program = path[n]
          if (program == name && !start) start = t
          if (start && t - start < 2 && program ~ /^(WebKit|bwrap|xdg-dbus-proxy)/)
              printf "%s@%.0f ", program, (t - start) * 1000 }
        END { print "" }' | sed "s/^/$name@0 /"
awk -F'\t' 'NR > 1 && $1 !~ /^#/ && $4 > 100 { printf "grab@%s(%s) ", $1, $4 } END { print "" }' \
    "$out/timeline.tsv"
