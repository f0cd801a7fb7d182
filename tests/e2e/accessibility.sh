#!/usr/bin/env bash
# Reads the real Tallivor2 through the accessibility bus (AT-SPI), as a screen reader such as
# Orca does, in a private X server (Xvfb + openbox) and a private D-Bus session: the windows'
# roles and names, the names of both password screens' and the main window's controls, a
# password box that gives no text, the menus with their access letters, and the steps of both
# clearing commands heard as they change.
#
#   tests/e2e/accessibility.sh            # uses build/release/src/Tallivor2, building it if missing
#   TALLIVOR2=/path/to/Tallivor2 tests/e2e/accessibility.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
source scripts/common.sh
source tests/e2e/xsession.sh

ensure_packages "${X_PACKAGES[@]}" at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0
BIN=${TALLIVOR2:-$ROOT/build/release/src/Tallivor2}
if [ ! -x "$BIN" ]; then
    ensure_packages "${BUILD_PACKAGES[@]}"
    configure_and_build release
fi

FOLDER=$(mktemp -d) # the program's folder, empty: a first start
cp "$BIN" "$FOLDER/Tallivor2"
cleanup() {
    x_stop
    rm -rf "$FOLDER"
}
trap cleanup EXIT

x_start
# The bus daemons' start-up chatter is dropped; the check's own messages stay. The system's
# python3 holds the GObject bindings.
timeout 120 dbus-run-session -- /usr/bin/python3 tests/e2e/atspi_check.py "$FOLDER/Tallivor2" \
    2> >(grep -v '^dbus-daemon\[' >&2) | { grep -v '^SpiRegistry daemon' || true; }
