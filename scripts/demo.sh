#!/usr/bin/env bash
# Builds the viewers and opens each on the sample textbook (data/drive_c).
# With a display the windows open in turn (close each to go on); without one
# they run on a private X display and a screenshot of each is saved.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/x11-session.sh

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/ornlux-prefix.XXXXXX")
export WINEPREFIX
orn_on_exit "rm -rf '$WINEPREFIX'"
scripts/make-wineprefix.sh "$WINEPREFIX"

if [[ -n ${DISPLAY:-} ]]; then interactive=true; else interactive=false; fi
orn_x11_session # a private display only when there is none
shots="${TMPDIR:-/tmp}/ornlux-demo"
$interactive || mkdir -p "$shots"

# show NAME PROGRAM ARGUMENT: runs one viewer on one item of the textbook.
show() {
    local name=$1 program=$2 argument=$3
    echo "== $name $argument"
    if $interactive; then
        "$program" "$argument"
        return
    fi
    "$program" "$argument" &
    local pid=$!
    orn_on_exit "orn_stop_pid $pid"
    sleep 3
    if ! kill -0 "$pid" 2>/dev/null; then
        local status=0
        wait "$pid" || status=$?
        echo "demo: $name exited early (status $status)" >&2
        exit 1
    fi
    import -window root "$shots/$name.png"
    echo "Screenshot: $shots/$name.png"
    orn_stop_pid "$pid"
}

show ornfig build/figure/ornfig 'C:\Book\htm\f01_1.htm'
show ornpage build/page/ornpage 'C:\Book\htm\p07_2.htm'
