#!/usr/bin/python3
# Uses the real Tallivor II as a person would, in a private X server, with real keys and clicks:
# a first start over an unfinished file, a set saved under a name of non-ASCII letters after names
# refused for each reason and a failed save, both clearing commands, a password changed but not
# entered, a wrong and a right password, Exit with the change-password screen open. After every step it checks the
# data file and the open windows, and takes a screenshot. Where the program is on the accessibility
# bus (AT-SPI, Linux) it also reads what a screen reader hears: the windows' roles and names, every
# control's name, the menus with their access keys, the Tab order, and the progress steps as they
# change. With --other, another build (the Linux one beside the Windows one) reads the saved set
# and saves one of its own, which the program then reads: both read each other's files the same.
#
#   e2e.py SHOTS [--other PROGRAM] PROGRAM...    # PROGRAM... starts the program in a folder of
#                                                # its own (e.g. wine Tallivor2.exe)
import os
import re
import shutil
import subprocess
import sys
import time

SHOTS, COMMAND = sys.argv[1], sys.argv[2:]
OTHER = COMMAND[1] if COMMAND[0] == "--other" else None
COMMAND = COMMAND[2:] if OTHER else COMMAND
DATA = os.path.join(os.path.dirname(os.path.abspath(COMMAND[-1])), "tallivor.tvr")
WINE = COMMAND[0].endswith("wine")
MAIN, SCREEN = "Tallivor II ", "Password Screen"  # the main window's caption ends in a blank
PASSWORD, CLUE = "Secret7", "my cat"
# Sets as (name, first entry, its number), pasted: xdotool types only what the keyboard map has.
SET = ("Jörg's Café & Bar", "Fotobearbeitung für €", "ABC-" + "1" * 745)  # the longest a box holds
OTHER_SET = ("Ωmega Ünits", "Grüße", "ß-42")
PICK, ANOTHER = "Pick a name", " Type another name for the set in the top box!"
IMPORTANT = "If you don't want to password this program, leave the box blank and click enter."
DEFAULTS = [f"Ruduze Vad Ovo\tNAME{n}=Set {n}" for n in range(1, 6)]
MENUS = ["File Alt+F: About, Exit", "Sets Alt+S: Set 1, Set 2, Set 3, Set 4, Set 5",
         "Save Alt+S: save set-", "Reset Alt+R: Clear Current Set, Clear All",
         "Password Alt+P: Change Password", "Other Alt+O: Other software, Website, Suggestions"]
SCREEN_CONTROLS = [("password text", "Password"), ("text", "Clue"), ("push button", "Enter"),
                   ("push button", "I forgot my password")]
CONTROLS = [("text", f"Entry {k} {what}") for k in range(1, 16)
            for what in ("name", "serial number or password")] + [("text", "Set name")]
# Where controls are, in twips: on the password screen, and a set's name, Text1 and Text2.
PASSWORD_BOX, CLUE_BOX = (120, 240, 4335, 375), (120, 720, 4335, 375)
ENTER, FORGOT = (120, 1320, 4335, 615), (120, 2040, 4335, 615)
SET_BOXES = [(0, 240, 6975, 285), (0, 600, 2415, 285), (2640, 600, 4335, 285)]

try:  # the bus is there only inside dbus-run-session, with python3-gi
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    BUS = not WINE and "DBUS_SESSION_BUS_ADDRESS" in os.environ
except (ImportError, ValueError):
    BUS = False

proc, step, heard = None, "", []
log = open(os.path.join(SHOTS, "program.log"), "w")


def fail(message):
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "failure.png")])
    shown = open(DATA, "rb").read().decode("utf-8", "replace") if os.path.isfile(DATA) else "(none)"
    sys.exit(f"FAILED in step '{step}': {message}\n--- windows: {sorted(windows())}\n"
             f"--- data file:\n{shown}\n--- program output:\n{open(log.name).read()}")


def check(condition, message):
    if not condition:
        fail(message)


def say(text):
    global step
    step = text
    print(f"== {text}", flush=True)


# What found() gives once it is true, the bus's events pumped meanwhile.
def until(what, found, secs=5):
    end = time.monotonic() + secs
    while True:
        while BUS and GLib.MainContext.default().iteration(False):
            pass
        try:
            if got := found():
                return got
        except Exception:  # a window or a bus object that went meanwhile
            pass
        check(proc.poll() is None, f"the program ended, waiting for {what}")
        check(time.monotonic() < end, f"no {what} after {secs} s")
        time.sleep(0.05)


def x(*args, check_=True):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=10)
    check(not check_ or done.returncode == 0, f"xdotool {' '.join(args)}: {done.stderr}")
    return done.stdout.rstrip("\n")


# The program's visible windows, menus included.
def ids():
    return x("search", "--all", "--onlyvisible", "--pid", str(proc.pid), check_=False).split()


# {title: id} of the program's visible windows that have a title.
def windows():
    return {title: i for i in ids() if (title := x("getwindowname", i, check_=False))}


def expect_windows(*titles, secs=5):
    until(f"windows {sorted(titles)}", lambda: sorted(windows()) == sorted(titles), secs)


# The keys, one xdotool call each (several in one call raced), in window `to` if given.
def key(*names, to=None):
    if to:
        wid = until(f"window '{to}'", lambda: windows().get(to))
        if x("getactivewindow", check_=False) != wid:
            x("windowactivate", "--sync", wid, check_=False) or x("windowfocus", "--sync", wid)
    for name in names:
        x("key", name)
        time.sleep(0.15)


def paste(text):
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text, text=True, check=True)
    key("ctrl+v")


# A click in the middle of a control laid out in twips; in the main window, under its menu bar.
def click(title, left, top, width, height):
    key(to=title)
    size = x("getwindowgeometry", "--shell", windows()[title])
    below = int(re.search(r"HEIGHT=(\d+)", size)[1]) - 6180 // 15 if title == MAIN else 0
    x("mousemove", "--window", windows()[title], str((left + width // 2) // 15),
      str(below + (top + height // 2) // 15))
    x("click", "1")
    time.sleep(0.2)


def fill(box, text, pasted=False):
    click(SCREEN, *box)
    if pasted:
        return paste(text)
    x("type", "--delay", "40", text)
    time.sleep(0.15)


# Opens File with its access letter, goes to the menu and entry, and chooses it.
def menu(rights, downs):
    before = len(ids())
    key("alt+f", to=MAIN)
    until("the File menu", lambda: len(ids()) == before + 1)
    for _ in range(rights):
        key("Right")
        until("the next menu", lambda: len(ids()) == before + 1)
    key(*["Down"] * downs, "Return")


# The data file as sorted 'section<TAB>KEY=value' lines.
def data():
    lines, section = [], ""
    for line in open(DATA, "rb").read().decode("utf-8").splitlines():
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif line.strip():
            lines.append(f"{section}\t{line}")
    return sorted(lines)


def expect_file(*lines, secs=5):
    until(f"data file {sorted(lines)}", lambda: data() == sorted(lines), secs)
    check(re.fullmatch(rb"([^\n]*\r\n)+", open(DATA, "rb").read()), "lines not in CRLF")


def set_section(name, entry, number):
    return ([f"{name}\tNAME={name}", f"{name}\tNAME1={entry}", f"{name}\tNUM1={number}"] +
            [f"{name}\t{k}{n}=" for n in range(2, 16) for k in ("NAME", "NUM")])


def xprop(window, name):
    return subprocess.run(["xprop", "-id", window, name], capture_output=True, text=True).stdout


# A screenshot of the window; on Linux also the sizes of the icon it offers.
def shot(name, title, icons=(32, 64)):
    number = len(os.listdir(SHOTS))  # the shots so far and the program's log
    subprocess.run(["import", "-window", windows()[title],
                    os.path.join(SHOTS, f"{number:02d}-{name}.png")], check=True)
    if not WINE:
        got = re.findall(r"Icon \((\d+) x \1\)", xprop(windows()[title], "_NET_WM_ICON"))
        got = tuple(sorted({int(n) for n in got}))
        check(got == icons, f"'{title}' has icons of {got}, expected {icons}")


# Starts the program; its first window is all there is of it.
def start(*env, command=COMMAND, first=SCREEN):
    global proc
    env = ["QT_QPA_PLATFORM=xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "QT_ACCESSIBILITY=1", *env]
    proc = subprocess.Popen(["env", *env, *command], cwd="/", stdout=log, stderr=log)
    expect_windows(first, secs=15)


# The program ends, through File, Exit unless it is on the way already.
def ends(from_menu=True):
    if from_menu:
        menu(0, 1)
    until("the program's end", lambda: proc.poll() is not None)
    check(proc.returncode == 0, f"the program ended with status {proc.returncode}")


# Starts the program and opens it with what is typed last in the password box.
def with_password(*typed, command=COMMAND):
    start(command=command)
    for text in typed or [PASSWORD]:
        fill(PASSWORD_BOX, text)
    click(SCREEN, *ENTER)
    expect_windows(MAIN)


# Answers the box with Return; on the bus it said the text first.
def answer(title, text=None):
    if BUS and text:
        said = [c.get_name() for c in descendants(bus_window("alert", title))]
        check(text in said, f"'{title}' says {said}, not {text!r}")
    key("Return", to=title)


# The IMPORTANT notice answered, a password screen opens: on the bus, its controls.
def screen_opens(notice=None):
    answer("IMPORTANT", notice)
    until("the password screen", lambda: "IMPORTANT" not in windows() and SCREEN in windows())
    if BUS:
        screen = bus_window("frame", SCREEN)
        check(controls(screen) == SCREEN_CONTROLS, f"the password screen has {controls(screen)}")
        return screen


def paste_into(box, text):
    click(MAIN, *box)
    key("ctrl+a")
    paste(text)


# Chooses the set; to save, pastes its first entry and number, and saves them under each name
# refused (with the reason told) and then under its name, pasted with outer blanks. Then reads
# the boxes back: the name is shown as stored, without them.
def set_(slot, texts, save, refused=()):
    menu(1, slot - 1)
    for box, text in zip(SET_BOXES[1:], texts[1:] if save else ()):
        paste_into(box, text)
    for name, why in [*refused, (f" {texts[0]}\t", None)] if save else ():
        paste_into(SET_BOXES[0], name)
        menu(2, 0)  # Save, save set
        answer(PICK, why) if why else expect_windows(MAIN)
    for box, text in zip(SET_BOXES, texts):
        click(MAIN, *box)
        key("ctrl+a", "ctrl+c")
        got = subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True,
                             text=True).stdout
        check(got == text, f"a box of set {slot} holds {got!r}, not {text!r}")


# What a screen reader finds on the bus.
def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def descendants(node):
    return [d for child in children(node) for d in [child, *descendants(child)]]


def bus_window(role, name):
    return until(f"{role} '{name}' on the bus", lambda: next(
        w for app in children(Atspi.get_desktop(0)) if app and app.get_process_id() == proc.pid
        for w in children(app) if (w.get_role_name(), w.get_name()) == (role, name)))


def controls(frame):
    return [(c.get_role_name(), c.get_name()) for c in descendants(frame)
            if c.get_state_set().contains(Atspi.StateType.FOCUSABLE)]


def bus_menus(frame):
    bar = next(c for c in descendants(frame) if c.get_role_name() == "menu bar")
    return [f"{t.get_name()} {Atspi.Action.get_key_binding(t, 0)}: " + ", ".join(
        c.get_name() + ("" if c.get_state_set().contains(Atspi.StateType.ENABLED) else "-")
        for c in descendants(t) if c.get_role_name() == "menu item") for t in children(bar)]


# A control that took the focus, or a name that changed, read past any cache.
def on_event(event):
    focused = event.type.startswith("object:state-changed:focused")
    try:
        event.source.clear_cache()
        if event.detail1 or not focused:
            heard.append(("focus" if focused else event.source.get_role_name(),
                          event.source.get_name()))
    except GLib.Error:
        pass


# The WARNING answered with OK, a progress window comes and goes; its label was heard announcing
# each step. What is written at once is checked while it shows.
def steps_heard(title, steps, *at_once):
    heard.clear()
    key("Return", to="WARNING")
    if at_once:
        expect_file(*at_once)
    expect_windows(title, secs=3) if title == "Clearing all" else expect_windows(MAIN, title)
    if BUS:
        bus_window("frame", title)
    shot(title.split()[-1].strip("."), title, (16, 32, 48))
    until(f"end of '{title}'", lambda: title not in windows(), 10)
    if BUS:
        got = [name for role, name in heard if role == "label" and name in steps]
        check(got == steps, f"heard {got} from '{title}', expected {steps}")
    expect_windows(MAIN)


def main():
    if BUS:
        listener = Atspi.EventListener.new(on_event)
        for event in ("object:property-change:accessible-name", "object:state-changed:focused"):
            listener.register(event)

    say("first start over a file whose first run never ended: titles, IMPORTANT, password, clue")
    # "1 " is no sign of a finished first start: the names it left go back to the defaults.
    with open(DATA, "wb") as f:
        f.write(b"[readone]\r\nREAD2=old\r\nREAD1=1 \r\n[Ruduze Vad Ovo]\r\nNAME1=Old\r\n")
    unfinished = data()
    start(first="Form3")
    check(data() == unfinished, "the data file was written before the titles")
    # the first-run marker, after the last title
    expect_file("readone\tREAD2=2", "readone\tREAD1=1 ", "Ruduze Vad Ovo\tNAME1=Old", secs=12)
    shot("splash", "Form3")
    until("the IMPORTANT notice", lambda: "IMPORTANT" in windows(), 10)
    screen = screen_opens(IMPORTANT)
    # Pasted as a terminal copies it, with a line break: the box keeps none.
    fill(PASSWORD_BOX, PASSWORD if WINE else PASSWORD + "\n", pasted=not WINE)
    fill(CLUE_BOX, CLUE)  # the click empties the box
    if BUS:
        password = next(c for c in descendants(screen) if c.get_role_name() == "password text")
        check(Atspi.Text.get_text(password, 0, -1) == "" and
              PASSWORD[1:] not in password.get_name() + password.get_description(),
              "the password box gives away what was typed")
    shot("password-screen", SCREEN)
    click(SCREEN, *ENTER)
    expect_windows(MAIN)
    first = [f"readone\tREAD1=1", f"readone\tREAD2={PASSWORD}", f"readone\tREAD3={CLUE}"]
    expect_file(*first, *DEFAULTS)
    if not WINE:  # the window manager's buttons: minimize (0x08, 0x20), no maximize (0x10, 0x40)
        fields = xprop(windows()[MAIN], "_MOTIF_WM_HINTS").split("=")[-1].split(",")
        check(int(fields[1], 0) & 0x18 == 0x08 and int(fields[2], 0) & 0x60 == 0x20,
              f"the main window's Motif hints: {fields}")
    if BUS:
        frame = bus_window("frame", MAIN)
        check(controls(frame) == CONTROLS, f"the main window's controls: {controls(frame)}")
        check([c.get_role_name() for c in descendants(frame)
               if c.get_description() == "Status line"] == ["label"], "no status line")
        check(bus_menus(frame) == MENUS, f"the menus are {bus_menus(frame)}")
        click(MAIN, *SET_BOXES[1])
        del heard[:]
        key(*["Tab"] * 30)
        focused = lambda: [name for role, name in heard if role == "focus"]  # noqa: E731
        until("30 moves of the focus", lambda: len(focused()) >= 30)
        check(focused() == [name for _, name in CONTROLS[1:30] + CONTROLS[:1]],
              f"Tab went through {focused()}")
    shot("main-window-no-set", MAIN)

    say("main window: nothing to type or clear before a set is chosen; set 2 saved")
    click(MAIN, *SET_BOXES[1])
    key("a")  # kept, but the set chosen next replaces it
    answer("Choose a set from set menu", "SELECT A SET BEFORE MAKING A LIST")
    key("alt+r", "Return", to=MAIN)  # Clear Current Set
    answer("Choose a set from set menu")
    set_(2, SET, save=True, refused=[(" set 2", "Type a name for the set in the top box!"),
                                     ("READONE", "That name is reserved." + ANOTHER)])
    saved = first + [d.replace("NAME2=Set 2", f"NAME2={SET[0]}") for d in DEFAULTS]
    saved += set_section(*SET)
    expect_file(*saved)
    if BUS:  # a "&" in a name is no access letter
        sets = f"Sets Alt+S: Set 1, {SET[0]}, Set 3, Set 4, Set 5"
        check(bus_menus(frame)[1] == sets, f"the menus are {bus_menus(frame)}")
    shot("main-window", MAIN)
    ends()

    say("second start: the password in other letter case, typed over a click; the set read back")
    with_password("typo", PASSWORD.swapcase())  # the click empties the box
    set_(2, SET, save=False)
    expect_file(*saved)
    menu(1, 2)
    paste_into(SET_BOXES[0], SET[0].upper())
    menu(2, 0)
    answer(PICK, "Another set already has that name." + ANOTHER)
    # A save that can't read the file is reported, and changes nothing.
    os.rename(DATA, DATA + ".kept")
    os.mkdir(DATA)
    menu(2, 0)
    answer("Tallivor II")
    os.rmdir(DATA)
    os.rename(DATA + ".kept", DATA)
    expect_file(*saved)
    if OTHER:
        say("the other build, beside it, reads the saved set and saves one; this one reads it")
        ends()
        with_password(command=[shutil.copy(OTHER, os.path.dirname(DATA))])
        set_(2, SET, save=False)
        set_(4, OTHER_SET, save=True)
        saved = [line.replace("NAME4=Set 4", f"NAME4={OTHER_SET[0]}") for line in saved]
        saved += set_section(*OTHER_SET)
        expect_file(*saved)
        ends()
        with_password()
        set_(4, OTHER_SET, save=False)
        expect_file(*saved)
    menu(1, 1)

    say("Clear Current Set: Escape cancels, then OK clears it")
    old = windows()[MAIN]
    key("alt+r", "Return", to=MAIN)
    key("Escape", to="WARNING")
    expect_windows(MAIN)
    key("alt+r", "Return", to=MAIN)
    steps_heard("Clearing it out.", ["Nullifying the names.....", "Nullifying the values.....",
                                     "Resetting the name....."])
    check(windows()[MAIN] != old, "the main window was not loaded afresh")
    cleared = [line for line in saved if not line.startswith(SET[0])]
    cleared += set_section(SET[0], "", "")[1:] + [f"{SET[0]}\tNAME="]
    expect_file(*[line.replace(f"NAME2={SET[0]}", "NAME2=Set 2") for line in cleared])

    say("Clear All with a new password typed on the change-password screen, not entered")
    key("alt+p", "Return", to=MAIN)
    screen_opens()
    fill(PASSWORD_BOX, "Other1")
    key("alt+r", "Down", "Return", to=MAIN)  # Clear All
    # The screen goes with the main window; all but the password goes at once.
    cleared = [f"readone\tREAD1=1", f"readone\tREAD2={PASSWORD}", *DEFAULTS]
    steps_heard("Clearing all", ["Deleting everything", "Putting your password back in"], *cleared)
    ends()

    say("third start: the clue is gone; a wrong password ends the program")
    start()
    click(SCREEN, *FORGOT)
    key("Return", to="Clue")
    fill(PASSWORD_BOX, "wrong")
    click(SCREEN, *ENTER)
    key("Return", to="Sorry")
    ends(from_menu=False)
    expect_file(*cleared)

    say("fourth start: the password kept by Clear All opens the program; a new one entered")
    with_password()
    key("alt+p", "Return", to=MAIN)  # Change Password
    screen_opens()
    fill(PASSWORD_BOX, "Other2")
    fill(CLUE_BOX, "dog")  # the click empties the box
    click(SCREEN, *ENTER)  # the main window stays as it was
    expect_windows(MAIN)
    changed = [line.replace(PASSWORD, "Other2") for line in cleared] + ["readone\tREAD3=dog"]
    expect_file(*changed)
    key("alt+p", "Return", to=MAIN)
    screen_opens()
    ends()  # Exit, with the change-password screen open

    if not WINE:
        say("the main window's frame ends the program; at scale 2 the password screen keeps its "
            "proportions, and its frame ends the program too")
        with_password("Other2")
        key("alt+F4", to=MAIN)
        ends(from_menu=False)
        for scale, size in (("1", "312x187"), ("2", "624x374")):
            start(f"QT_SCALE_FACTOR={scale}")
            geometry = x("getwindowgeometry", windows()[SCREEN])
            check(size in geometry.replace(" ", ""), f"at scale {scale}: {geometry}")
            key("alt+F4", to=SCREEN)
            ends(from_menu=False)
        expect_file(*changed)
    print("e2e: all steps passed", flush=True)


try:
    main()
finally:
    if proc and proc.poll() is None:
        proc.kill()
