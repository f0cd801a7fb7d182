#!/usr/bin/env bash
# Start-up time of the portable folder, which loads its own copies of Qt and ICU from lib/:
# start to the main window, as bench/startup.sh times it, for the bare Qt program, Tallivor2
# built against the system's Qt, and Tallivor2 unpacked from the .tar.gz, run alternately in
# the same private X server after one warm-up start each.
#
#   bench/startup-portable.sh [RUNS]     # RUNS start-ups of each program, 21 by default
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
source scripts/common.sh
source scripts/xsession.sh
source bench/common.sh

RUNS=${1:-21}
ensure_packages "${BUILD_PACKAGES[@]}" "${PORTABLE_PACKAGES[@]}" "${X_PACKAGES[@]}" libx11-dev
B=$ROOT/build/release
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target Tallivor2 bare_qt window_watch >/dev/null
rm -f "$B"/package/*.tar.gz
cpack --preset release >/dev/null

WORK=$(mktemp -d)
export XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
trap 'x_stop; rm -rf "$WORK"' EXIT

# Both programs start as a program that has been used.
mkdir "$WORK/system"
cp "$B/src/Tallivor2" "$WORK/system/"
used_data_file "$WORK/system/tallivor.tvr"
tar -C "$WORK" -xzf "$B"/package/Tallivor2-*.tar.gz
PORTABLE=$(echo "$WORK"/Tallivor2-*)
used_data_file "$PORTABLE/tallivor.tvr"

map_ms() { sed -n 's/.*map_ms=\([0-9.]*\).*/\1/p' "$WORK/$1.txt"; }

run_bare() { "$B/bench/window_watch" - "$B/bench/bare_qt"; }
run_system() { "$B/bench/window_watch" --close-after 300 "Tallivor II " "$WORK/system/Tallivor2"; }
run_portable() { "$B/bench/window_watch" --close-after 300 "Tallivor II " "$PORTABLE/Tallivor2"; }

x_start --no-wm
for name in bare system portable; do run_$name >/dev/null; done
for ((i = 0; i < RUNS; i++)); do
    for name in bare system portable; do run_$name >>"$WORK/$name.txt"; done
done
if grep -qv 'status=0' "$WORK"/*.txt; then
    echo "a run did not end cleanly" >&2
    exit 1
fi

bare_ms=$(map_ms bare | median)
report() {
    local ms
    ms=$(map_ms "$2" | median)
    printf '  %-28s %7.1f ms / %7.1f ms   ratio %.2f (goal <= 1.5)\n' "$1" "$ms" \
        "$(map_ms "$2" | LC_ALL=C sort -g | head -1)" "$(awk "BEGIN { print $ms / $bare_ms }")"
}
echo "Start to window shown, $RUNS runs each, alternating (median / fastest):"
report "bare Qt program" bare
report "Tallivor2, the system's Qt" system
report "Tallivor2, portable folder" portable
