# Shared by the real-window run, the portable check and the start-up benchmarks: a private X
# server with a window manager, and small xdotool helpers that wait for what they expect, each
# wait bounded.
# Source it after `set -euo pipefail`; call x_start once and x_stop from an EXIT trap.

X_PACKAGES=(xvfb xauth xdotool openbox x11-utils imagemagick xclip)
X_PIDS=()
X_LOG=""

# Starts Xvfb on a free display and openbox on it (not with --no-wm); exports DISPLAY.
x_start() {
    local dir
    dir=$(mktemp -d)
    X_LOG=$dir/xvfb.log
    # -noreset: without a window manager the server would reset whenever its last client leaves,
    # and a program started just then could not connect.
    Xvfb -displayfd 5 -screen 0 1600x1200x24 -nolisten tcp -noreset 5>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    X_PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$dir/display" ] && break
        sleep 0.05
    done
    [ -s "$dir/display" ] || { cat "$dir/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -1 "$dir/display")"
    [ "${1:-}" = --no-wm ] && return 0
    openbox --sm-disable >"$dir/openbox.log" 2>&1 &
    X_PIDS+=($!)
    for i in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
        { echo "openbox did not start" >&2; return 1; }
}

x_stop() {
    local i
    for ((i = ${#X_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${X_PIDS[i]}" 2>/dev/null || true
        wait "${X_PIDS[i]}" 2>/dev/null || true
    done
    X_PIDS=()
    [ -n "$X_LOG" ] && rm -rf "$(dirname "$X_LOG")"
    X_LOG=""
}

# The visible top-level windows of a process, one "id<TAB>title" per line.
x_windows_of() {
    local wid
    for wid in $(xdotool search --all --onlyvisible --pid "$1" 2>/dev/null); do
        printf '%s\t%s\n' "$wid" "$(xdotool getwindowname "$wid" 2>/dev/null)"
    done
}

# The sorted titles of a process's visible windows, one per line.
x_titles_of() {
    x_windows_of "$1" | cut -f2- | LC_ALL=C sort
}

# x_wait_title PID TITLE [SECONDS]: prints the id of the visible window of PID whose title is
# exactly TITLE, once there is one.
x_wait_title() {
    local pid=$1 title=$2 secs=${3:-10} end line
    end=$(($(date +%s%N) + secs * 1000000000))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        while IFS= read -r line; do
            if [ "${line#*$'\t'}" = "$title" ]; then
                echo "${line%%$'\t'*}"
                return 0
            fi
        done < <(x_windows_of "$pid")
        sleep 0.05
    done
    return 1
}
