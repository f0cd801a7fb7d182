# Shared by run.sh, test.sh and .ci/run: install what is missing, then configure and build.
set -euo pipefail

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake g++ make qt6-base-dev fonts-dejavu-core)
# What the tests use beyond the build: checking and starting a desktop entry.
TEST_PACKAGES=(desktop-file-utils libglib2.0-bin)
# The real-window run reads the program through the accessibility bus too (X_PACKAGES, from
# scripts/xsession.sh, for the rest).
BUS_PACKAGES=(at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0)
# cmake --install and cpack: patchelf points the bundled libraries' run paths at the folder.
PORTABLE_PACKAGES=(patchelf)

# configure_and_build PRESET
configure_and_build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$(nproc)"
}
