#!/usr/bin/env bash
# idle-cpu.sh [-t SECONDS] [OUTDIR]
#
# How much CPU ornfig costs while it just shows a figure (its caption still
# scrolls through the title bar every 200 ms). On a private Xvfb with
# openbox, ornfig opens figure.jpg; from 2 s after its start the CPU time it
# uses (utime + stime from /proc/PID/stat) is taken over SECONDS (default
# 60), together with what the X server and openbox use meanwhile (a title
# that changes is redrawn by the window manager, and the server draws it).
# Then the same for the bare GTK window of the shared harness
# (refs/gtk-hello.c) as the floor. Prints % of one core.
#
# OUTDIR (default ${TMPDIR:-/tmp}/ornfig-bench) is shared with
# compare-ornfig.sh: inputs/ and tree/ are made there when missing.
# ORNFIG=/path/to/ornfig measures that binary instead of building one.
set -euo pipefail
# shellcheck source=bench/prepare.sh
source "$(dirname "${BASH_SOURCE[0]}")/prepare.sh"
# shellcheck source=scripts/x11-session.sh
source "$bench_repo/scripts/x11-session.sh"

bench_start -t SECONDS 60 "$@"
seconds=$bench_value
out=$bench_out
mkdir -p "$out/idle"
read -r -a gtk_flags <<<"$(pkg-config --cflags --libs gtk+-3.0)"
gcc -O2 -o "$out/idle/gtk-hello" "$bench_harness/refs/gtk-hello.c" "${gtk_flags[@]}"

# CPU time of a process so far, in clock ticks: utime + stime, fields 14 and
# 15 of /proc/PID/stat (counted after the command name, which may hold spaces).
cpu_ticks() {
    local stat fields
    stat=$(<"/proc/$1/stat")
    read -r -a fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

# The one child of this shell running the named program.
child_named() {
    ps -o pid=,comm= --ppid $$ | awk -v name="$1" '$2 == name { print $1; exit }'
}

orn_x11_session --force
xvfb=$(child_named Xvfb)
openbox=$(child_named openbox)
hz=$(getconf CLK_TCK)

# measure LABEL COMMAND...: one line of the table.
measure() {
    local label=$1 pid start_time end_time p
    local -a before=() after=()
    shift
    "$@" >"$out/idle/${label%% *}.log" 2>&1 &
    pid=$!
    orn_on_exit "orn_stop_pid $pid"
    sleep 2
    start_time=$EPOCHREALTIME
    for p in "$pid" "$xvfb" "$openbox"; do before+=("$(cpu_ticks "$p")"); done
    sleep "$seconds"
    for p in "$pid" "$xvfb" "$openbox"; do after+=("$(cpu_ticks "$p")"); done
    end_time=$EPOCHREALTIME
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "idle-cpu: $label ended early; see $out/idle/${label%% *}.log" >&2
        exit 1
    fi
    orn_stop_pid "$pid"
    awk -v label="$label" -v hz="$hz" -v t0="$start_time" -v t1="$end_time" \
        -v b="${before[*]}" -v a="${after[*]}" 'BEGIN {
            split(b, x, " "); split(a, y, " ")
            printf "%-20s", label
            for (i = 1; i <= 3; i++) printf " %8.2f", 100 * (y[i] - x[i]) / hz / (t1 - t0)
            printf "\n" }'
}

echo "CPU use, % of one core, over $seconds s from 2 s after the start"
echo "(Xvfb 1280x1024x24, openbox; $(nproc) CPUs)"
printf '%-20s %8s %8s %8s\n' program itself Xvfb openbox
measure "ornfig figure.jpg" env WINEPREFIX="$bench_prefix" "$bench_ornfig" 'C:\Bench\htm\figure.htm'
measure "gtk-hello" "$out/idle/gtk-hello"
