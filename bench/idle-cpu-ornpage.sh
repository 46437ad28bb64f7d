#!/usr/bin/env bash
# idle-cpu-ornpage.sh [-t SECONDS] [-o OUTDIR] NAME COMMAND [NAME COMMAND]...
#
# How much CPU a page viewer costs while it just shows its page, counting
# every process it runs (with WebKit: the UI process and its web and network
# processes). On one private Xvfb with openbox and a private session bus,
# each COMMAND (shell words, as in compare.sh's templates) is started in
# turn; from 5 s after its start the CPU time of its process tree is taken
# over SECONDS (default 60), with what the X server and openbox use
# meanwhile (ornpage's caption scrolls through the title bar, which openbox
# redraws and the server draws). Prints % of one core per NAME, writes the
# same as OUTDIR/idle.tsv (NAME, tree, Xvfb, openbox, processes) and each
# program's final screen as OUTDIR/NAME.png: look at it, an error page is
# idle too. compare-ornpage.sh runs it on ornpage and surf.
#
# OUTDIR defaults to ${TMPDIR:-/tmp}/ornpage-bench/idle; HOME is OUTDIR/home
# for every program, as compare.sh does.
set -euo pipefail
bench_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
# shellcheck source=scripts/x11-session.sh
source "$bench_repo/scripts/x11-session.sh"

usage() {
    echo "usage: $0 [-t SECONDS] [-o OUTDIR] NAME COMMAND [NAME COMMAND]..." >&2
    exit 2
}
seconds=60
out=${TMPDIR:-/tmp}/ornpage-bench/idle
while (($# > 0)); do
    case $1 in
    -t)
        (($# >= 2)) || usage
        seconds=$2
        shift 2
        ;;
    -o)
        (($# >= 2)) || usage
        out=$2
        shift 2
        ;;
    -*) usage ;;
    *) break ;;
    esac
done
(($# > 0 && $# % 2 == 0)) || usage
mkdir -p "$out"
out=$(cd "$out" && pwd -P)
rm -rf "${out:?}/home"
mkdir -p "$out/home"
export HOME=$out/home LANG=C.UTF-8 LC_ALL=C.UTF-8 GDK_BACKEND=x11
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME

# The PID and all its descendants.
tree_pids() {
    ps -e -o pid=,ppid= | awk -v root="$1" '
        { parent[$1] = $2 }
        END {
            keep[root] = 1; grew = 1
            while (grew) {
                grew = 0
                for (p in parent) if (!(p in keep) && (parent[p] in keep)) { keep[p] = 1; grew = 1 }
            }
            for (p in keep) if (p in parent) print p
        }'
}

# CPU time a process used, in clock ticks: utime + stime, fields 14 and 15 of
# /proc/PID/stat (counted after the command name, which may hold spaces);
# with "all", also cutime + cstime (16, 17), the time of its reaped children.
cpu_ticks() {
    local stat fields
    stat=$(<"/proc/$1/stat") || {
        echo 0
        return 0
    }
    read -r -a fields <<<"${stat##*) }"
    if [[ ${2:-} == all ]]; then
        echo $((fields[11] + fields[12] + fields[13] + fields[14]))
    else
        echo $((fields[11] + fields[12]))
    fi
}

# CPU time of a process tree so far. Each live process counts with its reaped
# children, so a process that ends during the period still counts and none
# counts twice.
tree_ticks() {
    local pid total=0
    for pid in $(tree_pids "$1"); do
        total=$((total + $(cpu_ticks "$pid" all 2>/dev/null)))
    done
    echo "$total"
}

# stop_tree PID: TERM to the whole tree, then KILL to what is left after 2 s.
stop_tree() {
    local pids i
    pids=$(tree_pids "$1")
    [[ -n $pids ]] || return 0
    # shellcheck disable=SC2086 # a list of PIDs
    kill $pids 2>/dev/null || true
    for ((i = 0; i < 20; i++)); do
        # shellcheck disable=SC2086
        kill -0 $pids 2>/dev/null || break
        sleep 0.1
    done
    # shellcheck disable=SC2086
    kill -KILL $pids 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# A session bus of its own that activates no service: a service started
# through the bus (WebKit asks for the accessibility bus) would run outside
# the program's tree, and its CPU time would not be counted.
start_private_bus() {
    cat >"$out/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$out/run/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$out/bus.conf" --nofork --nopidfile --print-address=4 \
        4>"$out/bus.address" >"$out/bus.log" 2>&1 &
    orn_on_exit "orn_stop_pid $!"
    local tries=50
    until [[ -s $out/bus.address ]]; do
        ((--tries > 0)) || { echo "idle-cpu-ornpage: dbus-daemon did not start" >&2; return 1; }
        sleep 0.1
    done
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$out/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
}

# The one child of this shell running the named program.
child_named() {
    ps -o pid=,comm= --ppid $$ | awk -v name="$1" '$2 == name { print $1; exit }'
}

orn_x11_session --force
xvfb=$(child_named Xvfb)
openbox=$(child_named openbox)
rm -rf "$out/run"
mkdir -m 700 "$out/run"
export XDG_RUNTIME_DIR=$out/run
start_private_bus
hz=$(getconf CLK_TCK)
printf 'name\ttree_pct\txvfb_pct\topenbox_pct\tprocesses\n' >"$out/idle.tsv"

# The program being measured, stopped with its whole tree on any exit.
# shellcheck disable=SC2034 # read by the exit command
running=""
# shellcheck disable=SC2016 # expanded when it runs
orn_on_exit 'if [[ -n $running ]]; then stop_tree "$running"; fi'

# measure NAME COMMAND: one line of the table.
measure() {
    local name=$1 pid t0 t1 procs
    local -a cmd before after
    eval "cmd=($2)"
    "${cmd[@]}" >"$out/$name.log" 2>&1 &
    pid=$!
    running=$pid
    sleep 5
    t0=$EPOCHREALTIME
    before=("$(tree_ticks "$pid")" "$(cpu_ticks "$xvfb")" "$(cpu_ticks "$openbox")")
    sleep "$seconds"
    after=("$(tree_ticks "$pid")" "$(cpu_ticks "$xvfb")" "$(cpu_ticks "$openbox")")
    t1=$EPOCHREALTIME
    procs=$(tree_pids "$pid" | wc -l)
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "idle-cpu-ornpage: $name ended early; see $out/$name.log" >&2
        exit 1
    fi
    import -window root "$out/$name.png" 2>/dev/null || true
    stop_tree "$pid"
    # shellcheck disable=SC2034 # read by the exit command
    running=""
    awk -v name="$name" -v hz="$hz" -v t0="$t0" -v t1="$t1" -v procs="$procs" \
        -v b="${before[*]}" -v a="${after[*]}" 'BEGIN {
            split(b, x, " "); split(a, y, " ")
            line = name
            for (i = 1; i <= 3; i++) line = line sprintf("\t%.2f", 100 * (y[i] - x[i]) / hz / (t1 - t0))
            print line "\t" procs }' | tee -a "$out/idle.tsv" |
        awk -F'\t' '{ printf "%-22s %8s %8s %8s %6s\n", $1, $2, $3, $4, $5 }'
}

echo "CPU use, % of one core, over $seconds s from 5 s after the start"
echo "(Xvfb 1280x1024x24, openbox; $(nproc) CPUs)"
printf '%-22s %8s %8s %8s %6s\n' program tree Xvfb openbox procs
while (($# > 0)); do
    measure "$1" "$2"
    shift 2
done
