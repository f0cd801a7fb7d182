#!/usr/bin/env bash
# The portable folder on a machine without Qt: builds the .tar.gz, unpacks it as an ordinary
# user's folder in a clean Debian 12 root that holds only the libraries the folder leaves to the
# host, and starts the program there against this machine's X server (Xvfb). Checks that the
# dynamic loader finds every library of the program and of its plugins, that the splash shows its
# titles whole with the fonts of that root, that the password screen comes up, that every bundled
# plugin is loaded from the folder, and that the data file is written beside the program.
#
#   tests/portable/portable.sh       # as root, or through sudo: debootstrap, chroot and mount
#
# The clean root is built once with debootstrap and kept in /var/cache/tallivor2-portable (or
# $PORTABLE_CACHE), keyed by everything that goes into it. Screenshots and the program's output
# go to build/portable-shots/.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || exec sudo -E "$0" "$@"
cd "$(dirname "$0")/../.."
source scripts/common.sh
source scripts/xsession.sh
step() { echo "== $* ($SECONDS s)"; }
SHOTS=$PWD/build/portable-shots
LOG=$SHOTS/program.log
fail() { echo "FAILED: $*" >&2; cat "$LOG" >&2; exit 1; }
ensure_packages "${BUILD_PACKAGES[@]}" "${PORTABLE_PACKAGES[@]}" "${X_PACKAGES[@]}" debootstrap
rm -rf "$SHOTS" && mkdir -p "$SHOTS"
WORK=$(mktemp -d)
R=$WORK/root
cleanup() {
    [ $? -eq 0 ] || [ -z "${DISPLAY:-}" ] || import -window root "$SHOTS/failure.png"
    set +e
    [ -n "${PID:-}" ] && kill "$PID" && wait "$PID"
    # Whatever is mounted in the root, deepest first; detached at once even while in use.
    grep -F " $WORK/" /proc/mounts | cut -d ' ' -f 2 | sort -r | xargs -r -n 1 umount --lazy
    x_stop
    # Never delete through a mount that is still there: it would reach the host's files.
    grep -qF " $WORK/" /proc/mounts || rm -rf "$WORK"
}
trap cleanup EXIT

step "the .tar.gz"
cmake --preset release >/dev/null
cmake --build --preset release --target Tallivor2 -j "$(nproc)" >/dev/null
cpack --preset release -B "$WORK" >"$LOG" || fail "cpack"
ARCHIVE=$(echo "$WORK"/Tallivor2-*.tar.gz)
[ "$(stat -c %s "$ARCHIVE")" -lt 40000000 ] || fail "cpack made no .tar.gz of under 40 MB"
# A FAT-formatted USB stick holds no symbolic links.
! tar -tvzf "$ARCHIVE" | grep '^l' || fail "the .tar.gz holds symbolic links"

# The clean root: Debian 12 with only the packages of the libraries left to the host, and a user.
HOST_PACKAGES=(libx11-6 libgl1 libegl1 libopengl0 libfontconfig1 fonts-dejavu-core)
MIRROR=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources | head -n 1)
MIRROR=${MIRROR:-http://deb.debian.org/debian}
make_root() {
    debootstrap --variant=minbase bookworm "$1" "$MIRROR"
    cp /etc/resolv.conf "$1/etc/resolv.conf"
    chroot "$1" apt-get update
    chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -o Dpkg::Use-Pty=0 \
        --no-install-recommends "${HOST_PACKAGES[@]}"
    chroot "$1" apt-get clean
    rm -rf "$1"/var/lib/apt/lists/*
    chroot "$1" useradd --create-home --uid 1000 --shell /bin/sh user
}
CACHE=${PORTABLE_CACHE:-/var/cache/tallivor2-portable}
KEY=$( (echo "$MIRROR ${HOST_PACKAGES[*]}" && declare -f make_root) | sha256sum | cut -c1-16)
CACHED=$CACHE/root-bookworm-$KEY.tar
# Held until the root is unpacked, so that no other run replaces the file meanwhile.
mkdir -p "$CACHE" "$R" && exec 9>"$CACHE/lock" && flock 9
if [ ! -f "$CACHED" ]; then
    step "a clean root with ${HOST_PACKAGES[*]}, kept in $CACHE (log: $SHOTS/root.log)"
    # Not on the left of a `||`, where set -e would not stop it at a failing step.
    make_root "$WORK/new" >"$SHOTS/root.log" 2>&1
    tar -C "$WORK/new" -cf "$CACHED.new" . && mv "$CACHED.new" "$CACHED"
    find "$CACHE" -maxdepth 1 -name 'root-*' ! -path "$CACHED" -delete
fi

step "the root unpacked afresh, the .tar.gz as the user's folder"
tar -C "$R" -xf "$CACHED"
flock -u 9
# A command, not a function: started in the background, its process id is the program's own.
AS_USER=(chroot --userspec=1000:1000 "$R" env -i HOME=/home/user LANG=C.UTF-8 PATH=/usr/bin
    XDG_RUNTIME_DIR=/tmp/runtime-user)
"${AS_USER[@]}" sh -c 'mkdir -m 700 /tmp/runtime-user && tar -C /home/user -xz' <"$ARCHIVE"
FOLDER=/home/user/$(basename "$ARCHIVE" .tar.gz) # as seen inside the root
for file in Tallivor2 LICENSE licenses/libqt6core6/copyright licenses/libstdc++6/copyright; do
    [ -s "$R$FOLDER/$file" ] || fail "no $file in the archive"
done
[ ! -e "$R$FOLDER/tallivor.tvr" ] || fail "the archive holds a data file"
! find "$R"/usr "$R"/lib* -name 'libQt6*' | grep -q . || fail "the clean root has Qt"
# The loader resolves $ORIGIN through /proc; the program talks to the X server through its socket.
mount -t proc proc "$R/proc" && mount --bind --mkdir /tmp/.X11-unix "$R/tmp/.X11-unix"

step "every library found inside the root"
for file in "$R$FOLDER/Tallivor2" "$R$FOLDER"/lib/* "$R$FOLDER"/plugins/*/*; do
    out=$("${AS_USER[@]}" ldd "${file#"$R"}" 2>&1) || fail "ldd ${file#"$R"}: $out"
    ! grep 'not found' <<<"$out" || fail "${file#"$R"} needs what the root does not have"
done

step "first start inside the root: splash, IMPORTANT notice, password screen"
# No window manager: a window mapped while one is still starting up can stay unmapped, and the
# splash waits for its first paint. The real-window run covers a managed desktop.
x_start --no-wm
"${AS_USER[@]}" DISPLAY="$DISPLAY" QT_DEBUG_PLUGINS=1 "$FOLDER/Tallivor2" >"$LOG" 2>&1 &
PID=$!
window() { x_wait_title "$PID" "$1" 15 || fail "no window '$1'"; }
SPLASH=$(window Form3)
import -window "$SPLASH" "$SHOTS/01-splash.png"
# The splash once its last title, the red one, is drawn: about 5 s after it opens, 2 s before the
# notice. A title cut at the window's right edge leaves its colour in the last columns.
TITLES=$SHOTS/02-splash-titles.png
red() { convert "$TITLES" -format %c histogram:info:- | grep -qi '#FF0000'; }
for _ in {1..75}; do import -window "$SPLASH" "$TITLES" && red && break; sleep 0.2; done 2>/dev/null
red || fail "the splash never showed its last title"
[ "$(convert "$TITLES" -gravity East -crop 3x+0+0 +repage -format '%[max]' info:)" = 0 ] ||
    fail "a splash title runs into the window's right edge (see $TITLES)"
NOTICE=$(window IMPORTANT)
import -window "$NOTICE" "$SHOTS/03-important.png"
xdotool windowfocus --sync "$NOTICE" key Return
import -window "$(window "Password Screen")" "$SHOTS/04-password-screen.png"

DATA=$R$FOLDER/tallivor.tvr
[ "$(cat "$DATA")" = $'[readone]\r\nREAD2=2\r' ] || fail "tallivor.tvr holds no first-run marker"
[ "$(stat -c %u "$DATA")" = 1000 ] || fail "tallivor.tvr is not the user's"
# Every plugin the folder carries is loaded, from the folder.
for plugin in "$R$FOLDER"/plugins/*/*; do
    grep -qF "\"${plugin#"$R"}\" loaded library" "$LOG" || fail "${plugin#"$R"} was not loaded"
done
echo "portable: all checks passed; screenshots in $SHOTS"
