#!/usr/bin/env bash
# Builds the static Qt for Windows that Tallivor2.exe links, once, from Debian's own source of
# the Qt that the Linux build uses, cross-compiled with MinGW-w64. Prints the folder that holds
# it, which later runs reuse. Override the cache's parent folder with TALLIVOR_CACHE.
#   scripts/build-qt-windows.sh        build if missing; the folder on the last line
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

QT_VERSION=6.4.2
# Minimal and static: Core, Gui, Widgets and Test, the windows, offscreen and minimal platforms
# and the windowsvista style; Qt's own copies of zlib, libpng, FreeType, HarfBuzz and PCRE2.
QT_OPTIONS=(
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF
  -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF -DFEATURE_androiddeployqt=OFF
  # OpenGL off in every form, or the windows platform asks for its static GL context.
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF
  # Debian's source has no wintab headers.
  -DFEATURE_tabletevent=OFF
  # Off together: without Direct2D, DirectWrite alone leaves its font classes unresolved.
  -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
  -DFEATURE_freetype=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_libb2=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_sqlite=OFF
  -DFEATURE_system_textmarkdownreader=OFF
)
MINGW_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  ninja-build dpkg-dev qt6-base-dev qt6-base-dev-tools debian-archive-keyring)

fail() { echo "build-qt-windows: $*" >&2; exit 1; }
step() { echo "== $(date +%T) $*" >&2; }

ensure_packages cmake "${MINGW_PACKAGES[@]}" >&2
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n 1)
hash=$(printf '%s\n' "$QT_VERSION" "$compiler" "${QT_OPTIONS[@]}" | sha256sum | cut -c1-12)
cache=${TALLIVOR_CACHE:-/var/cache/tallivor2}
prefix="$cache/qt-$QT_VERSION-mingw-static-$hash"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo mkdir -p "$cache"
$sudo chown "$(id -u):$(id -g)" "$cache"
rm -rf "$prefix"
work=$(mktemp -d "${TMPDIR:-/tmp}/tallivor2-qt.XXXXXX")
trap 'rm -rf "$work"' EXIT

step "Fetching Debian's qt6-base source into $work"
# A private source list: the machine's own apt configuration is left alone.
mkdir -p "$work/apt/lists/partial" "$work/apt/sources"
uris=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
cat > "$work/apt/sources/qt-source.sources" <<SRC
Types: deb-src
URIs: ${uris:-http://deb.debian.org/debian}
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
# Downloads as this user: apt's sandbox user can't write to $work, and would say so.
apt_private=(-o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$work/apt/sources"
  -o "Dir::State::Lists=$work/apt/lists" -o APT::Sandbox::User=root)
apt-get "${apt_private[@]}" update -qq >&2 || fail "apt-get update of the source list failed"
(cd "$work" && apt-get "${apt_private[@]}" source --download-only -qq qt6-base) >&2 ||
  fail "apt-get source qt6-base failed"
dsc=$(ls "$work"/qt6-base_"$QT_VERSION"+*.dsc 2>/dev/null | head -n 1)
[ -n "$dsc" ] || fail "Debian's qt6-base source is not Qt $QT_VERSION: $(ls "$work"/*.dsc)"
(cd "$work" && dpkg-source --no-check -x "$dsc" src) >/dev/null || fail "unpacking $dsc failed"

step "Configuring Qt $QT_VERSION for Windows into $prefix"
mkdir -p "$prefix"
cp "$here/../cmake/mingw-w64-x86_64.cmake" "$prefix/toolchain.cmake"
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${QT_OPTIONS[@]}" > "$work/configure.log" 2>&1 ||
  { tail -n 40 "$work/configure.log" >&2; fail "configuring Qt failed (log above)"; }

step "Building Qt (about 1,000 steps; some 17 minutes on two cores)"
ninja -C "$work/build" -j "$(nproc)" > "$work/build.log" 2>&1 &
builder=$!
while kill -0 "$builder" 2>/dev/null; do
  sleep 30
  progress=$(tail -c 2000 "$work/build.log" | grep -o '^\[[0-9]*/[0-9]*\]' | tail -n 1 || true)
  step "Building Qt ${progress:-...}"
done
wait "$builder" || { tail -n 40 "$work/build.log" >&2; fail "building Qt failed (log above)"; }

step "Installing Qt"
cmake --install "$work/build" > "$work/install.log" 2>&1 ||
  { tail -n 20 "$work/install.log" >&2; fail "installing Qt failed (log above)"; }
# The licence texts of Qt and of the libraries built into it, for the program's package
# (PCRE2 spells its file LICENCE), and Debian's summary of the whole source.
mkdir -p "$prefix/licenses"
cp -r "$work/src/LICENSES" "$prefix/licenses/qt"
cp "$work/src/debian/copyright" "$prefix/licenses/debian-copyright"
(cd "$work/src/src/3rdparty" &&
  find . -maxdepth 3 -type f \( -iname '*LICEN[CS]E*' -o -iname 'COPYING*' -o -name FTL.TXT \
    -o -iname 'qt_attribution.json' \) -exec cp --parents {} "$prefix/licenses/" \;) ||
  fail "copying the licence texts failed"
touch "$prefix/.complete"
step "Qt for Windows is in $prefix"
echo "$prefix"
