#!/usr/bin/env bash
# Runs the real Tallivor2 in a private X server (Xvfb + openbox) and uses it as a person would,
# with keys and clicks only: three starts, a set saved and renamed, both clearing commands and a
# wrong password. After every step it checks the data file and the titles of the open windows,
# and it leaves a screenshot of every window in build/e2e-shots/ (or $E2E_SHOTS).
#
#   tests/e2e/e2e.sh            # uses build/release/src/Tallivor2, building it if missing
#   TALLIVOR2=/path/to/Tallivor2 tests/e2e/e2e.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
source scripts/common.sh
source tests/e2e/xsession.sh

ensure_packages "${X_PACKAGES[@]}"
BIN=${TALLIVOR2:-$ROOT/build/release/src/Tallivor2}
if [ ! -x "$BIN" ]; then
    ensure_packages "${BUILD_PACKAGES[@]}"
    configure_and_build release
fi

SHOTS=${E2E_SHOTS:-$ROOT/build/e2e-shots}
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
FOLDER=$(mktemp -d)     # the program's folder, as on a USB stick
cp "$BIN" "$FOLDER/Tallivor2"
DATA=$FOLDER/tallivor.tvr
LOG=$SHOTS/program.log
PID=""
STEP=""
SHOT=0

cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
    x_stop
    rm -rf "$FOLDER"
}
trap cleanup EXIT

MAIN="Tallivor II "      # the main window's caption ends in a blank
PASSWORD=Secret7
CLUE="my cat"

# ---------------------------------------------------------------------------------------------
# Checks

fail() {
    echo "FAILED in step '$STEP': $*" >&2
    echo "--- open windows:" >&2
    [ -n "$PID" ] && x_titles_of "$PID" | sed 's/^/    [/; s/$/]/' >&2
    echo "--- data file:" >&2
    if [ -e "$DATA" ]; then cat -A "$DATA" >&2; else echo "    (none)" >&2; fi
    echo "--- program output:" >&2
    cat "$LOG" >&2 2>/dev/null || true
    import -window root "$SHOTS/failure.png" 2>/dev/null || true
    exit 1
}

step() {
    STEP=$1
    echo "== $STEP"
}

# The data file as sorted "section<TAB>KEY=value" lines; blank lines and line ends dropped.
ini_lines() {
    awk '{ sub(/\r$/, "") }
         /^\[.*\]$/ { section = substr($0, 2, length($0) - 2); next }
         /^[ \t]*$/ { next }
         { print section "\t" $0 }' "$1" | LC_ALL=C sort
}

# expect_file [SECONDS] < expected lines ("section<TAB>KEY=value", any order). Waits for the
# file to get there, as writes also come from the program's own timers.
expect_file() {
    local secs=${1:-5} want got end
    want=$(LC_ALL=C sort)
    end=$(($(date +%s%N) + secs * 1000000000))
    while :; do
        got=""
        [ -e "$DATA" ] && got=$(ini_lines "$DATA")
        [ -e "$DATA" ] && [ "$got" = "$want" ] && break
        [ "$(date +%s%N)" -lt "$end" ] ||
            fail "data file differs:$(diff <(echo "$want") <(echo "$got") | sed 's/^/\n  /')"
        sleep 0.05
    done
    # Beyond its content: text only, every line ended.
    if tr -d '\n\r\t -~' <"$DATA" | grep -q .; then fail "data file holds control bytes"; fi
    [ "$(tail -c1 "$DATA" | od -An -c | tr -d ' ')" = '\n' ] || fail "last line not ended"
    SHOT=$((SHOT + 1))
    cp "$DATA" "$SHOTS/$(printf %02d $SHOT)-data.tvr"
}

# expect_windows [-t SECONDS] TITLE...: waits until the program's visible windows carry exactly
# these titles.
expect_windows() {
    local secs=5
    if [ "$1" = -t ]; then
        secs=$2
        shift 2
    fi
    local want got end
    want=$(printf '%s\n' "$@" | LC_ALL=C sort)
    end=$(($(date +%s%N) + secs * 1000000000))
    while :; do
        got=$(x_titles_of "$PID")
        [ "$got" = "$want" ] && return 0
        kill -0 "$PID" 2>/dev/null || fail "the program ended; expected windows: $*"
        [ "$(date +%s%N)" -lt "$end" ] ||
            fail "windows are [$(echo "$got" | paste -sd'|')], expected [$(echo "$want" | paste -sd'|')]"
        sleep 0.05
    done
}

# Prints the id of the visible window with exactly this title.
window() {
    x_wait_title "$PID" "$1" "${2:-5}" || fail "no window '$1'"
}

expect_program_ends() {
    local i
    for i in $(seq 100); do
        kill -0 "$PID" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$PID" 2>/dev/null && fail "the program is still running"
    wait "$PID" || fail "the program ended with status $?"
    PID=""
}

# expect_icon TITLE SIZE...: the window's icon offers exactly these square sizes.
expect_icon() {
    local title=$1 got want
    shift
    want=$(printf '%s\n' "$@" | sort -n | paste -sd' ')
    got=$(xprop -id "$(window "$title")" _NET_WM_ICON |
        sed -n 's/.*Icon (\([0-9]*\) x \1).*/\1/p' | sort -n | paste -sd' ')
    [ "$got" = "$want" ] || fail "'$title' has icon sizes [$got], expected [$want]"
}

# shot NAME TITLE: a picture of that window, frame and title bar included.
shot() {
    local wid
    wid=$(window "$2")
    SHOT=$((SHOT + 1))
    import -frame -window "$wid" "$SHOTS/$(printf %02d $SHOT)-$1.png" 2>/dev/null ||
        import -window "$wid" "$SHOTS/$(printf %02d $SHOT)-$1.png"
}

# ---------------------------------------------------------------------------------------------
# Input: one key per xdotool call, each to the window that should have it.

focus() {
    local wid
    wid=$(window "$1")
    if [ "$(xdotool getactivewindow 2>/dev/null)" != "$wid" ]; then
        timeout 5 xdotool windowactivate --sync "$wid" >/dev/null 2>&1 ||
            timeout 5 xdotool windowfocus --sync "$wid" || fail "cannot focus '$1'"
    fi
}

key() {
    xdotool key "$1"
    sleep 0.15
}

type_text() {
    xdotool type --delay 40 "$1"
    sleep 0.15
}

# click TITLE X Y: a left click at X,Y of the window's client area.
click() {
    local wid
    wid=$(window "$1")
    focus "$1"
    xdotool mousemove --window "$wid" "$2" "$3"
    sleep 0.1
    xdotool click 1
    sleep 0.2
}

# Layout positions in twips: the centre of a control at LEFT TOP WIDTH HEIGHT, in pixels.
centre() {
    echo $((($1 + $3 / 2) / 15)) $((($2 + $4 / 2) / 15))
}

# click_main LEFT TOP WIDTH HEIGHT: the main window's controls lie below its menu bar, and its
# client area below the bar is 6180 twips high.
click_main() {
    local wid H x y
    wid=$(window "$MAIN")
    eval "$(xdotool getwindowgeometry --shell "$wid" | grep HEIGHT)"
    H=$HEIGHT
    read -r x y < <(centre "$@")
    click "$MAIN" "$x" $((y + H - 6180 / 15))
}

count_windows() {
    xdotool search --all --onlyvisible --pid "$PID" 2>/dev/null | wc -l
}

wait_window_count() {
    local i
    for i in $(seq 100); do
        [ "$(count_windows)" = "$1" ] && return 0
        sleep 0.03
    done
    fail "expected $1 visible windows, found $(count_windows)"
}

# menu RIGHTS DOWNS: opens the File menu with its access letter, moves RIGHTS menus to the
# right and DOWNS entries down, and chooses that entry. (Alt+S is shared by Sets and Save, so
# which one it opens depends on the last menu used; File is always first.)
menu() {
    focus "$MAIN"
    local before i
    before=$(count_windows)
    key alt+f
    wait_window_count $((before + 1))
    for ((i = 0; i < $1; i++)); do
        key Right
        wait_window_count $((before + 1))
    done
    for ((i = 0; i < $2; i++)); do key Down; done
    key Return
}

# copy_from X Y W H: the text of the main window's box there, read through the clipboard.
copy_from() {
    click_main "$@"
    key ctrl+a
    key ctrl+c
    xclip -selection clipboard -o 2>/dev/null || true
}

# start_program [NAME=VALUE...]: starts the program from another folder, with these variables.
start_program() {
    (cd / && exec env QT_QPA_PLATFORM=xcb "$@" "$FOLDER/Tallivor2") >>"$LOG" 2>&1 &
    PID=$!
}

password_box() { click "Password Screen" $(centre 120 240 4335 375); }
clue_box() { click "Password Screen" $(centre 120 720 4335 375); }
enter_button() { click "Password Screen" $(centre 120 1320 4335 615); }
forgot_button() { click "Password Screen" $(centre 120 2040 4335 615); }

TAB=$'\t'
default_names() {
    printf 'Ruduze Vad Ovo\tNAME%d=Set %d\n' 1 1 2 2 3 3 4 4 5 5
}
# set_section NAME ENTRY1NAME ENTRY1NUMBER: a set section with one entry, the rest empty.
set_section() {
    local k
    echo "$1${TAB}NAME=$4"
    echo "$1${TAB}NAME1=$2"
    echo "$1${TAB}NUM1=$3"
    for k in $(seq 2 15); do
        echo "$1${TAB}NAME$k="
        echo "$1${TAB}NUM$k="
    done
}

x_start
: >"$LOG"

# ---------------------------------------------------------------------------------------------
step "first start: titles, IMPORTANT notice, password pasted with a line break, clue typed"
[ -e "$DATA" ] && fail "the folder is not empty"
start_program
expect_windows -t 10 Form3
expect_icon Form3 32 64
[ -e "$DATA" ] && fail "the data file was written before the titles"
# The first-run marker is written once the last title is up, about five seconds in.
expect_file 12 <<<"readone${TAB}READ2=2"
shot splash Form3
expect_windows -t 10 Form3 IMPORTANT
shot important-notice IMPORTANT
focus IMPORTANT
key Return
expect_windows "Password Screen"
expect_icon "Password Screen" 32 64
password_box
# Pasted as a terminal copies it, with a line break at its end: the box keeps none.
printf '%s\n' "$PASSWORD" | xclip -selection clipboard -i
key ctrl+v
clue_box
type_text "$CLUE"
shot password-screen "Password Screen"
enter_button
expect_windows "$MAIN"
expect_file <<EOF
readone${TAB}READ1=1
readone${TAB}READ2=$PASSWORD
readone${TAB}READ3=$CLUE
$(default_names)
EOF
expect_icon "$MAIN" 32 64
# A minimize button and no maximize button, in the Motif hints the window manager reads:
# functions (minimize 0x08, maximize 0x10) and decorations (minimize 0x20, maximize 0x40).
IFS=', ' read -r _ FUNCTIONS DECORATIONS _ < <(xprop -id "$(window "$MAIN")" _MOTIF_WM_HINTS |
    sed 's/.*= //')
(((FUNCTIONS & 0x18) == 0x08 && (DECORATIONS & 0x60) == 0x20)) ||
    fail "the main window's buttons: Motif functions $FUNCTIONS, decorations $DECORATIONS"
shot main-window-no-set "$MAIN"

# ---------------------------------------------------------------------------------------------
step "main window: second set chosen, entries typed, default name refused, renamed and saved"
menu 1 1                                     # Sets, second entry
expect_windows "$MAIN"
menu 2 0                                     # Save, save set: "Set 2" is a default name
expect_windows "$MAIN" "Pick a name"
shot pick-a-name "Pick a name"
focus "Pick a name"
key Return
expect_windows "$MAIN"
click_main 0 600 2415 285                    # Text1
type_text "Photo Editor"
key Tab                                      # Text2
type_text "ABC-123"
click_main 0 240 6975 285                    # Text31, the set's name
key ctrl+a
type_text "Games"
expect_windows "$MAIN"
menu 2 0                                     # Save, save set
expect_windows "$MAIN"
expect_file <<EOF
readone${TAB}READ1=1
readone${TAB}READ2=$PASSWORD
readone${TAB}READ3=$CLUE
$(default_names | sed 's/NAME2=Set 2/NAME2=Games/')
$(set_section Games "Photo Editor" "ABC-123" Games)
EOF
shot main-window "$MAIN"
SAVED=$(ini_lines "$DATA")

# ---------------------------------------------------------------------------------------------
step "Exit"
menu 0 1                                     # File, Exit
expect_program_ends
expect_file <<<"$SAVED"

# ---------------------------------------------------------------------------------------------
step "second start: the pasted password typed in other letter case is accepted, saved set there"
start_program
expect_windows -t 10 "Password Screen"
password_box
type_text "sECRET7"
enter_button
expect_windows "$MAIN"
expect_file <<<"$SAVED"
menu 1 1                                     # Sets, second entry: now Games
expect_windows "$MAIN"
[ "$(copy_from 0 240 6975 285)" = Games ] || fail "the top box does not hold Games"
[ "$(copy_from 0 600 2415 285)" = "Photo Editor" ] || fail "Text1 does not hold the saved entry"
[ "$(copy_from 2640 600 4335 285)" = "ABC-123" ] || fail "Text2 does not hold the saved number"
expect_file <<<"$SAVED"
shot main-window-games "$MAIN"

# ---------------------------------------------------------------------------------------------
step "Clear Current Set"
OLD=$(window "$MAIN")
focus "$MAIN"
key alt+r                                    # Reset, by its access letter
wait_window_count 2
key Return                                   # Clear Current Set
expect_windows "$MAIN" WARNING
shot clear-current-warning WARNING
focus WARNING
key Return
expect_windows "$MAIN" "Clearing it out."
expect_icon "Clearing it out." 16 32 48
shot clearing-current "Clearing it out."
expect_windows -t 10 "$MAIN"
[ "$(window "$MAIN")" != "$OLD" ] || fail "the main window was not loaded afresh"
expect_file <<EOF
readone${TAB}READ1=1
readone${TAB}READ2=$PASSWORD
readone${TAB}READ3=$CLUE
$(default_names)
$(set_section Games "" "" "")
EOF

# ---------------------------------------------------------------------------------------------
step "Clear All, a new password typed on the change-password screen and not entered"
focus "$MAIN"
key alt+p
wait_window_count 2
key Return                                   # Change Password
expect_windows "$MAIN" IMPORTANT
focus IMPORTANT
key Return
expect_windows "$MAIN" "Password Screen"
password_box
type_text "Other1"
focus "$MAIN"
key alt+r
wait_window_count 3
key Down
key Return                                   # Clear All
expect_windows "$MAIN" "Password Screen" WARNING
focus WARNING
key Return
# The change-password screen goes with the main window: the password kept is the stored one.
expect_windows "Clearing all"
expect_icon "Clearing all" 16 32 48
shot clearing-all "Clearing all"
# Everything but the password goes at once, while the progress window is up.
expect_file 5 <<EOF
readone${TAB}READ1=1
readone${TAB}READ2=$PASSWORD
$(default_names)
EOF
expect_windows "Clearing all"
expect_windows -t 10 "$MAIN"
CLEARED=$(ini_lines "$DATA")
menu 0 1                                     # File, Exit
expect_program_ends

# ---------------------------------------------------------------------------------------------
step "third start: password still asked, clue empty; a wrong password ends the program, the right one opens it"
start_program
expect_windows -t 10 "Password Screen"
forgot_button
expect_windows "Password Screen" Clue
shot clue Clue
focus Clue
key Return
expect_windows "Password Screen"
password_box
type_text "wrong"
enter_button
expect_windows "Password Screen" Sorry
shot wrong-password Sorry
focus Sorry
key Return
expect_program_ends
expect_file <<<"$CLEARED"
start_program
expect_windows -t 10 "Password Screen"
password_box
type_text "$PASSWORD"
enter_button
expect_windows "$MAIN"
menu 0 1                                     # File, Exit
expect_program_ends
expect_file <<<"$CLEARED"

# ---------------------------------------------------------------------------------------------
step "high-DPI start: the password screen keeps its proportions; closing it ends the program"
# The password screen's client area is 4680 x 2805 twips: 312 x 187 pixels at 96 dpi.
size_of() {
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$(window "$1")" | grep -E 'WIDTH|HEIGHT')"
    echo "${WIDTH}x$HEIGHT"
}
start_program
expect_windows -t 10 "Password Screen"
[ "$(size_of "Password Screen")" = 312x187 ] || fail "password screen is $(size_of "Password Screen")"
focus "Password Screen"
key alt+F4
expect_program_ends
start_program QT_SCALE_FACTOR=2
expect_windows -t 10 "Password Screen"
[ "$(size_of "Password Screen")" = 624x374 ] ||
    fail "at scale 2 the password screen is $(size_of "Password Screen")"
shot password-screen-scale-2 "Password Screen"
focus "Password Screen"
key alt+F4                                   # closed by its frame: nothing is written
expect_program_ends
expect_file <<<"$CLEARED"

echo "e2e: all steps passed; screenshots in $SHOTS"
