#!/usr/bin/env bash
# Tallivor2.exe for 64-bit Windows and its zip, cross-built with MinGW-w64 against the static Qt
# that scripts/build-qt-windows.sh builds once (some 20 minutes the first time).
#
#   scripts/windows.sh          build/windows/src/Tallivor2.exe and
#                               build/windows/package/Tallivor2-<version>-windows-x86_64.zip
#   scripts/windows.sh check    the same, then under Wine: the QtTest programs, and the real
#                               program in a private X server (tests/e2e/e2e.py), its data file
#                               exchanged with the Linux build's (built first if missing)
#
# Wine's prefix is made once and kept in /var/cache/tallivor2 (or $TALLIVOR_CACHE).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
source scripts/common.sh

fail() { echo "windows: $*" >&2; exit 1; }
step() { echo "== $(date +%T) $*"; }

ensure_packages "${BUILD_PACKAGES[@]}"
TALLIVOR_QT_WINDOWS=$(scripts/build-qt-windows.sh | tail -n 1)
export TALLIVOR_QT_WINDOWS

step "Tallivor2.exe"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
B=build/windows
EXE=$B/src/Tallivor2.exe
headers=$(x86_64-w64-mingw32-objdump -p "$EXE")
# Self-contained: nothing but DLLs that every Windows has.
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
own=$(grep -Ev '^(advapi32|authz|comdlg32|d3d11|d3d9|dwmapi|dxgi|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|api-ms-win-.*|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|ws2_32|wtsapi32)\.dll$' <<<"$dlls" || true)
[ -z "$own" ] || fail "Tallivor2.exe needs DLLs that Windows doesn't have: $own"
grep -q 'Subsystem.*Windows GUI' <<<"$headers" || fail "Tallivor2.exe is not a GUI program"
size=$(stat -c %s "$EXE")
[ "$size" -le 20000000 ] || fail "Tallivor2.exe is $size bytes, over 20 MB"

step "the zip"
rm -f "$B"/package/*.zip
cpack --preset windows >"$B/cpack.log" || { cat "$B/cpack.log" >&2; fail "cpack failed"; }
ZIP=$(echo "$B"/package/Tallivor2-*-windows-x86_64.zip)
[ -f "$ZIP" ] || fail "cpack made no zip"
listing=$(cmake -E tar tf "$ZIP")
for file in Tallivor2.exe README.txt LICENSE licenses/Qt/LGPL-3.0-only.txt \
    licenses/MinGW-w64/mingw-w64-x86-64-dev.txt; do
    grep -qx "Tallivor2-[^/]*/$file" <<<"$listing" || fail "the zip has no $file"
done
echo "Tallivor2.exe: $((size / 1000)) kB; $(basename "$ZIP"): $(($(stat -c %s "$ZIP") / 1000)) kB"

[ "${1:-}" = check ] || exit 0

# ---------------------------------------------------------------------------------------------
source scripts/xsession.sh
ensure_packages wine wine64 python3 "${X_PACKAGES[@]}"
[ -x build/release/src/Tallivor2 ] || configure_and_build release

step "Wine's prefix"
cache=${TALLIVOR_CACHE:-/var/cache/tallivor2}
WINEPREFIX=$cache/wine-$(wine --version 2>/dev/null | sha256sum | cut -c1-12)
export WINEPREFIX WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/.complete" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$cache"
    # "wine32 is missing" is no matter for a 64-bit program.
    wineboot -i >"$cache/wineboot.log" 2>&1 || { cat "$cache/wineboot.log" >&2; fail "wineboot failed"; }
    wineserver -w
    touch "$WINEPREFIX/.complete"
fi

# One X server for all that Wine starts: its desktop process stays with the first display.
trap 'wineserver -k 2>/dev/null || true; x_stop' EXIT
x_start

step "the tests under Wine"
ctest --preset windows

step "the real program under Wine, and its data file read by the Linux build"
SHOTS=$ROOT/build/e2e-shots-wine
FOLDER=$(mktemp -d) # the program's folder, as on a USB stick
trap 'wineserver -k 2>/dev/null || true; x_stop; rm -rf "$FOLDER"' EXIT
cp "$EXE" "$FOLDER/"
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
# The system's python3, with xdotool, xclip and ImageMagick from X_PACKAGES.
timeout 300 /usr/bin/python3 tests/e2e/e2e.py "$SHOTS" --other "$ROOT/build/release/src/Tallivor2" \
    wine "$FOLDER/Tallivor2.exe"

step "the program in a folder whose path is longer than Windows' 260 characters"
DEEP=$FOLDER/deep/$(printf 'a%.0s' {1..90})/$(printf 'b%.0s' {1..90})/$(printf 'c%.0s' {1..90})
mkdir -p "$DEEP"
cp "$EXE" "$DEEP/"
wine "$DEEP/Tallivor2.exe" >"$SHOTS/deep.log" 2>&1 &
# After the titles the first start writes its marker and reads it back: the password screen
# shows its IMPORTANT notice only where both reached the file.
x_wait_title $! IMPORTANT 30 >/dev/null || { cat "$SHOTS/deep.log" >&2; fail "no password screen in $DEEP"; }
grep -q 'READ2=2' "$DEEP/tallivor.tvr" || fail "no first-run marker in $DEEP/tallivor.tvr"
wineserver -k
echo "windows: all checks passed"
