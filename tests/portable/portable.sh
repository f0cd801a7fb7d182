#!/usr/bin/env bash
# The portable folder on a machine without Qt: builds the .tar.gz, unpacks it as an ordinary
# user's folder in a clean Debian 12 root that holds only the libraries the folder leaves to the
# host, and starts the program there against this machine's X server (Xvfb). Checks that the
# dynamic loader finds every library of the program and of its plugins, that the splash and then
# the password screen come up, that every bundled plugin is loaded from the folder, and that the
# data file is written beside the program.
#
#   tests/portable/portable.sh       # as root, or through sudo: debootstrap, chroot and mount
#
# The clean root is built once with debootstrap and kept in /var/cache/tallivor2-portable (or
# $PORTABLE_CACHE), keyed by everything that goes into it. Screenshots and the program's output
# go to build/portable-shots/.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
[ "$(id -u)" -eq 0 ] || exec sudo -E "$0" "$@"
source scripts/common.sh
source tests/e2e/xsession.sh

START=$(date +%s)
elapsed() { echo "$(($(date +%s) - START)) s"; }
step() { echo "== $* ($(elapsed))"; }

ensure_packages "${BUILD_PACKAGES[@]}" "${PORTABLE_PACKAGES[@]}" "${X_PACKAGES[@]}" debootstrap

# ---------------------------------------------------------------------------------------------
step "the .tar.gz"
B=$ROOT/build/release
cmake --preset release >/dev/null
cmake --build --preset release --target Tallivor2 -j "$(nproc)" >/dev/null
rm -f "$B"/package/*.tar.gz
cpack --preset release >"$B/cpack.log" || { cat "$B/cpack.log" >&2; exit 1; }
ARCHIVE=$(echo "$B"/package/Tallivor2-*.tar.gz)
[ -f "$ARCHIVE" ] || { echo "cpack made no .tar.gz" >&2; exit 1; }
SIZE=$(stat -c %s "$ARCHIVE")
echo "$(basename "$ARCHIVE"): $((SIZE / 1000)) kB"
[ "$SIZE" -lt 40000000 ] || { echo "the .tar.gz is over 40 MB" >&2; exit 1; }
# A FAT-formatted USB stick holds no symbolic links.
if tar -tvzf "$ARCHIVE" | grep '^l'; then echo "the .tar.gz holds symbolic links" >&2; exit 1; fi

# ---------------------------------------------------------------------------------------------
# The clean root: Debian 12 with only the packages of the libraries left to the host, and a user.
SUITE=bookworm
HOST_PACKAGES=(libx11-6 libgl1 libegl1 libopengl0 libfontconfig1 fonts-dejavu-core)
MIRROR=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
    awk 'NR == 1 { print $1 }')
MIRROR=${MIRROR:-http://deb.debian.org/debian}
USER_ID=1000

make_root() {
    debootstrap --variant=minbase "$SUITE" "$1" "$MIRROR"
    cp /etc/resolv.conf "$1/etc/resolv.conf"
    chroot "$1" apt-get update
    chroot "$1" env DEBIAN_FRONTEND=noninteractive apt-get install -y -o Dpkg::Use-Pty=0 \
        --no-install-recommends "${HOST_PACKAGES[@]}"
    chroot "$1" apt-get clean
    rm -rf "$1"/var/lib/apt/lists/*
    chroot "$1" useradd --create-home --uid "$USER_ID" --shell /bin/sh user
}

CACHE=${PORTABLE_CACHE:-/var/cache/tallivor2-portable}
KEY=$( (echo "$SUITE $MIRROR ${HOST_PACKAGES[*]}" && declare -f make_root) | sha256sum | cut -c1-16)
CACHED=$CACHE/root-$SUITE-$KEY.tar
mkdir -p "$CACHE"
exec 9>"$CACHE/lock"
flock 9
if [ ! -f "$CACHED" ]; then
    step "a clean $SUITE root with ${HOST_PACKAGES[*]} (kept in $CACHE)"
    NEW=$(mktemp -d "$CACHE/new.XXXXXX")
    # Its own shell, where a failing step stops it (set -e does not act inside an `if`).
    set +e
    (set -e && make_root "$NEW/root") >"$NEW/log" 2>&1
    status=$?
    set -e
    if [ $status -ne 0 ]; then
        tail -20 "$NEW/log" >&2
        rm -rf "$NEW"
        exit 1
    fi
    tar -C "$NEW/root" -cf "$NEW/root.tar" .
    mv "$NEW/root.tar" "$CACHED"
    rm -rf "$NEW"
    find "$CACHE" -maxdepth 1 -name 'root-*.tar' ! -path "$CACHED" -delete
fi

WORK=$(mktemp -d)
R=$WORK/root
SHOTS=$ROOT/build/portable-shots
LOG=$SHOTS/program.log
PID=""
MOUNTS=()

cleanup() {
    set +e
    if [ -n "$PID" ]; then
        kill "$PID" 2>/dev/null
        wait "$PID" 2>/dev/null
    fi
    local i
    for ((i = ${#MOUNTS[@]} - 1; i >= 0; i--)); do
        umount "${MOUNTS[i]}" 2>/dev/null || umount --lazy "${MOUNTS[i]}"
    done
    x_stop
    # Never delete through a mount that is still there: it would reach the host's files.
    if grep -qF " $WORK/" /proc/mounts; then
        echo "still mounted under $WORK; left in place" >&2
    else
        rm -rf "$WORK"
    fi
}
trap cleanup EXIT

step "the root unpacked afresh from $(basename "$CACHED")"
mkdir "$R"
tar -C "$R" -xf "$CACHED"
flock -u 9
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
: >"$LOG"

# "${AS_USER[@]}" COMMAND...: runs it in the root as the ordinary user, with a desktop's
# environment. (A command, not a function: started in the background, its process id is the
# program's own, as chroot and env exec what they start.)
AS_USER=(chroot --userspec="$USER_ID:$USER_ID" "$R" /usr/bin/env -i HOME=/home/user USER=user
    PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR=/tmp/runtime-user)

fail() {
    echo "FAILED: $*" >&2
    echo "--- program output:" >&2
    cat "$LOG" >&2
    if [ -n "${DISPLAY:-}" ]; then
        echo "--- windows on the X server:" >&2
        xwininfo -root -tree | grep '^ *0x' >&2
        import -window root "$SHOTS/failure.png" 2>/dev/null
    fi
    exit 1
}

step "unpacked as the user's folder"
NAME=$(basename "$ARCHIVE" .tar.gz)
cp "$ARCHIVE" "$R/home/user/"
chown "$USER_ID:$USER_ID" "$R/home/user/$NAME.tar.gz"
"${AS_USER[@]}" tar -C /home/user -xzf "/home/user/$NAME.tar.gz"
FOLDER=/home/user/$NAME      # as seen inside the root
[ -x "$R$FOLDER/Tallivor2" ] || fail "no $FOLDER/Tallivor2 in the archive"
[ -e "$R$FOLDER/tallivor.tvr" ] && fail "the archive holds a data file"
for file in LICENSE licenses/libqt6core6/copyright licenses/libstdc++6/copyright; do
    [ -s "$R$FOLDER/$file" ] || fail "no $file in the archive"
done
if find "$R"/usr "$R"/lib* -name 'libQt6*' | grep -q .; then fail "the clean root has Qt"; fi

# The loader resolves $ORIGIN through /proc; the program talks to the X server through its socket.
mount -t proc proc "$R/proc" && MOUNTS+=("$R/proc")
mkdir -p "$R/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$R/tmp/.X11-unix" && MOUNTS+=("$R/tmp/.X11-unix")

step "every library found inside the root"
for file in "$R$FOLDER/Tallivor2" "$R$FOLDER"/lib/* "$R$FOLDER"/plugins/*/*; do
    out=$("${AS_USER[@]}" ldd "${file#"$R"}" 2>&1) || fail "ldd ${file#"$R"}: $out"
    if grep -q 'not found' <<<"$out"; then
        fail "${file#"$R"} needs what the root does not have:$(grep 'not found' <<<"$out")"
    fi
done

step "first start inside the root: splash, IMPORTANT notice, password screen"
# No window manager: a window mapped while one is still starting up can stay unmapped, and the
# splash waits for its first paint. The end-to-end run covers a managed desktop.
x_start --no-wm
mkdir -m 700 "$R/tmp/runtime-user"
chown "$USER_ID:$USER_ID" "$R/tmp/runtime-user"
"${AS_USER[@]}" DISPLAY="$DISPLAY" QT_DEBUG_PLUGINS=1 "$FOLDER/Tallivor2" >>"$LOG" 2>&1 &
PID=$!

window() { x_wait_title "$PID" "$1" "${2:-10}" || fail "no window '$1'"; }

SPLASH=$(window Form3 15)
icons=$(xprop -id "$SPLASH" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]*\) x \1).*/\1/p' |
    sort -n | paste -sd' ')
[ "$icons" = "32 64" ] || fail "the splash has icon sizes [$icons], expected [32 64]"
import -window "$SPLASH" "$SHOTS/01-splash.png"
NOTICE=$(window IMPORTANT 15)
import -window "$NOTICE" "$SHOTS/02-important.png"
xdotool windowfocus --sync "$NOTICE"
xdotool key Return
SCREEN=$(window "Password Screen")
import -window "$SCREEN" "$SHOTS/03-password-screen.png"

DATA=$R$FOLDER/tallivor.tvr
[ -f "$DATA" ] || fail "no tallivor.tvr beside the program"
cp "$DATA" "$SHOTS/tallivor.tvr"
[ "$(stat -c %u "$DATA")" = "$USER_ID" ] || fail "tallivor.tvr is not the user's"
tr -d '\r' <"$DATA" | grep -qx '\[readone\]' || fail "tallivor.tvr has no [readone]"
tr -d '\r' <"$DATA" | grep -qx 'READ2=2' || fail "tallivor.tvr has no READ2=2"

# Every plugin the folder carries is loaded, from the folder.
for plugin in "$R$FOLDER"/plugins/*/*; do
    grep -qF "\"${plugin#"$R"}\" loaded library" "$LOG" || fail "${plugin#"$R"} was not loaded"
done

kill "$PID"
wait "$PID" 2>/dev/null || true
PID=""
echo "portable: all checks passed in $(elapsed); screenshots in $SHOTS"
