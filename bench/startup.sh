#!/usr/bin/env bash
# Whole-program figures of the real Tallivor2 in a private X server:
#  1. start to the main window (no password stored, read1 = "1") and peak memory, against a bare
#     Qt program with a menu and 31 line edits, the two run alternately in the same session;
#  2. CPU used by the program during the splash titles and the two clearing sequences.
#
#   bench/startup.sh [RUNS]       # RUNS start-ups of each program, 21 by default
#   TALLIVOR2=/path/to/Tallivor2 bench/startup.sh     # another build of the program
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
source scripts/common.sh
source scripts/xsession.sh
source bench/common.sh

RUNS=${1:-21}
ensure_packages "${BUILD_PACKAGES[@]}" "${X_PACKAGES[@]}" libx11-dev time
B=$ROOT/build/release
TAL=${TALLIVOR2:-$B/src/Tallivor2}
if [ ! -x "$TAL" ] || [ ! -x "$B/bench/bare_qt" ] || [ ! -x "$B/bench/window_watch" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$(nproc)" --target Tallivor2 bare_qt window_watch
fi

WORK=$(mktemp -d)
export XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
PID=""
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
    x_stop
    rm -rf "$WORK"
}
trap cleanup EXIT

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }

echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "Qt: $(dpkg-query -W -f='${Version}' libqt6widgets6 2>/dev/null || echo unknown)"
echo

# ---------------------------------------------------------------------------------------------
# 1. Start-up time and peak memory. No window manager: the watcher sees top-level windows map.
x_start --no-wm
FOLDER=$WORK/program
mkdir "$FOLDER"
cp "$TAL" "$FOLDER/Tallivor2"
used_data_file "$FOLDER/tallivor.tvr"

watch() {
    "$B/bench/window_watch" "$@" || {
        echo "window_watch $* failed; X server running: $(kill -0 "${X_PIDS[0]}" 2>/dev/null && echo yes || echo no)" >&2
        cat "$X_LOG" >&2
        exit 1
    }
}

: >"$WORK/bare" && : >"$WORK/tallivor"
# One start of each first, so that both find the libraries and fonts in the page cache.
watch - "$B/bench/bare_qt" >/dev/null
watch --close-after 300 "Tallivor II " "$FOLDER/Tallivor2" >/dev/null
for ((i = 0; i < RUNS; i++)); do
    watch - "$B/bench/bare_qt" >>"$WORK/bare"
    # Closed 300 ms after it appears, so that its peak memory includes the painted window.
    watch --close-after 300 "Tallivor II " "$FOLDER/Tallivor2" >>"$WORK/tallivor"
done
grep -qv 'status=0' "$WORK/bare" "$WORK/tallivor" && { echo "a run did not end cleanly" >&2; exit 1; }

# The same peak memory once more through GNU time, as a cross-check of the watcher's figure.
gnu_time_rss() {
    /usr/bin/time -v -o "$WORK/time.txt" "$@" >/dev/null 2>&1 || true
    sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time.txt"
}

bare_ms=$(field map_ms <"$WORK/bare" | median)
tal_ms=$(field map_ms <"$WORK/tallivor" | median)
bare_kb=$(field maxrss_kb <"$WORK/bare" | median)
tal_kb=$(field maxrss_kb <"$WORK/tallivor" | median)
bare_min=$(field map_ms <"$WORK/bare" | LC_ALL=C sort -g | head -1)
tal_min=$(field map_ms <"$WORK/tallivor" | LC_ALL=C sort -g | head -1)
bare_time_kb=$(gnu_time_rss "$B/bench/window_watch" - "$B/bench/bare_qt")
tal_time_kb=$(gnu_time_rss "$B/bench/window_watch" --close-after 300 "Tallivor II " "$FOLDER/Tallivor2")
x_stop

echo "Start to window shown, $RUNS runs each, alternating (median / fastest):"
printf '  bare Qt program     %7.1f ms / %7.1f ms\n' "$bare_ms" "$bare_min"
printf '  Tallivor2           %7.1f ms / %7.1f ms   ratio %.2f (goal <= 1.5)\n' \
    "$tal_ms" "$tal_min" "$(calc "$tal_ms / $bare_ms")"
echo "Peak memory (maximum resident set size, median):"
printf '  bare Qt program     %7d kB   (GNU time: %s kB)\n' "$bare_kb" "$bare_time_kb"
printf '  Tallivor2           %7d kB   (GNU time: %s kB)   ratio %.2f (goal <= 1.2)\n' \
    "$tal_kb" "$tal_time_kb" "$(calc "$tal_kb / $bare_kb")"
echo

# ---------------------------------------------------------------------------------------------
# 2. CPU during the timed sequences, driven with keys as in the end-to-end run.
x_start

# CPU seconds the process has used so far, all threads, in nanoseconds.
cpu_ns() {
    awk '{ s += $1 } END { printf "%d\n", s }' /proc/"$PID"/task/*/schedstat
}
now_ns() { date +%s%N; }

# Waits (bounded) until the program shows, or no longer shows, a window of that title.
wait_shown() { x_wait_title "$PID" "$1" "${2:-10}" >/dev/null || { echo "no window '$1'" >&2; exit 1; }; }
wait_gone() {
    local i
    for i in $(seq 500); do
        x_titles_of "$PID" | grep -qxF "$1" || return 0
        sleep 0.02
    done
    echo "window '$1' stays" >&2
    exit 1
}
press() {
    xdotool key "$1"
    sleep 0.15
}

# measure LABEL START_TITLE: CPU share from when START_TITLE shows until the window goes (or,
# with a third argument, until that window shows).
measure() {
    local label=$1 c0 t0 c1 t1
    wait_shown "$2"
    c0=$(cpu_ns)
    t0=$(now_ns)
    if [ $# -gt 2 ]; then wait_shown "$3" 15; else wait_gone "$2"; fi
    c1=$(cpu_ns)
    t1=$(now_ns)
    printf '  %-28s %5.2f s wall  %6.1f ms CPU  %5.2f %% of one core (goal <= 2 %%)\n' "$label" \
        "$(calc "($t1 - $t0) / 1e9")" "$(calc "($c1 - $c0) / 1e6")" \
        "$(calc "100 * ($c1 - $c0) / ($t1 - $t0)")"
}

echo "CPU during the timed sequences (from the window's appearance to the end of the sequence):"
for run in 1 2 3; do
    FOLDER=$WORK/cpu$run
    mkdir "$FOLDER"
    cp "$TAL" "$FOLDER/Tallivor2"
    (cd / && exec "$FOLDER/Tallivor2") >/dev/null 2>&1 &
    PID=$!
    # The splash titles run until the password screen's notice comes up.
    measure "splash titles (run $run)" Form3 IMPORTANT
    press Return
    wait_shown "Password Screen"
    # No password: "Enter" (tab order: password box, then the button).
    press Tab
    press space
    wait_shown "Tallivor II "
    sleep 0.5
    c0=$(cpu_ns) t0=$(now_ns)
    sleep 3
    printf '  %-28s %5.2f s wall  %6.1f ms CPU\n' "main window idle (run $run)" \
        "$(calc "($(now_ns) - $t0) / 1e9")" "$(calc "($(cpu_ns) - $c0) / 1e6")"
    press alt+r
    sleep 0.3
    press Return
    wait_shown WARNING
    press Return
    measure "clear current set (run $run)" "Clearing it out."
    wait_shown "Tallivor II "
    sleep 0.5
    press alt+r
    sleep 0.3
    press Down
    press Return
    wait_shown WARNING
    press Return
    measure "clear all (run $run)" "Clearing all"
    wait_shown "Tallivor II "
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    PID=""
done
