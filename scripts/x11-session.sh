# shellcheck shell=bash
# Sourced by the other scripts: a private X display with a window manager.
#
#   orn_x11_session [--force]  when DISPLAY is unset (or with --force), starts
#                              Xvfb and openbox, exports DISPLAY, and stops both
#                              when the calling script exits. Xvfb takes the
#                              options in ORN_XVFB_OPTIONS too (word-split).
#   orn_on_exit COMMAND        runs COMMAND when the calling script exits
#                              (commands run last-registered first); this
#                              owns the script's EXIT trap.
#   orn_stop_pid PID           terminates a child process and reaps it.

_orn_exit_commands=()

_orn_run_exit_commands() {
    local i
    for ((i = ${#_orn_exit_commands[@]} - 1; i >= 0; i--)); do
        eval "${_orn_exit_commands[i]}" || true
    done
    _orn_exit_commands=()
}

orn_on_exit() {
    _orn_exit_commands+=("$1")
    trap _orn_run_exit_commands EXIT
    # Turn signals into a normal exit so the EXIT trap cleans up.
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

orn_stop_pid() {
    kill "$1" 2>/dev/null || return 0
    wait "$1" 2>/dev/null || true
}

# _orn_wait_for SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
_orn_wait_for() {
    local tries=$(($1 * 10))
    shift
    until "$@"; do
        ((--tries > 0)) || return 1
        sleep 0.1
    done
}

# read fails until the whole newline-terminated line is there.
_orn_has_line() { local line; [[ -s $1 ]] && read -r line <"$1" && [[ -n $line ]]; }
_orn_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# shellcheck disable=SC2120 # the flag is optional
orn_x11_session() {
    # GTK would otherwise look for an accessibility bus and warn.
    export NO_AT_BRIDGE=1
    [[ ${1:-} == --force || -z ${DISPLAY:-} ]] || return 0

    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/ornlux-x11.XXXXXX")
    orn_on_exit "rm -rf '$dir'"

    # -displayfd: Xvfb picks a free display and writes its number to fd 3.
    # shellcheck disable=SC2086 # options, one word each
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp ${ORN_XVFB_OPTIONS:-} \
        3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    local xvfb=$!
    orn_on_exit "orn_stop_pid $xvfb"
    if ! _orn_wait_for 10 _orn_has_line "$dir/display"; then
        echo "x11-session: Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        return 1
    fi
    local number
    read -r number <"$dir/display"
    export DISPLAY=":$number"

    openbox --sm-disable >"$dir/openbox.log" 2>&1 &
    orn_on_exit "orn_stop_pid $!"
    if ! _orn_wait_for 10 _orn_wm_ready; then
        echo "x11-session: openbox did not start:" >&2
        cat "$dir/openbox.log" >&2
        return 1
    fi
}
