#!/usr/bin/env bash
# The real-window run (tests/e2e/e2e.py) of the Linux build in a private X server with a window
# manager, on a private accessibility bus. Screenshots and the program's output go to
# build/e2e-shots/. ./test.sh runs it through CTest (the test e2e, label gui); scripts/windows.sh
# check runs it on the Windows build under Wine.
#
#   tests/e2e/e2e.sh            # build/release/src/Tallivor2, built if missing
#   TALLIVOR2=/path/to/Tallivor2 tests/e2e/e2e.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/common.sh
source scripts/xsession.sh

ensure_packages "${X_PACKAGES[@]}" "${BUS_PACKAGES[@]}"
FOLDER=$(mktemp -d) # the program's folder, as on a USB stick
trap 'x_stop; rm -rf "$FOLDER"' EXIT
SHOTS=$PWD/build/e2e-shots
BIN=${TALLIVOR2:-$PWD/build/release/src/Tallivor2}
[ -x "$BIN" ] || { ensure_packages "${BUILD_PACKAGES[@]}" && configure_and_build release; }
cp "$BIN" "$FOLDER/"
rm -rf "$SHOTS" && mkdir -p "$SHOTS"
x_start
# The bus daemons' start-up chatter is dropped; the run's own messages stay.
timeout 300 dbus-run-session -- /usr/bin/python3 tests/e2e/e2e.py "$SHOTS" \
    "$FOLDER/$(basename "$BIN")" 2> >(grep -v -E '^(dbus-daemon\[|SpiRegistry)' >&2)
