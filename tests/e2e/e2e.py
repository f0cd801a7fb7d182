#!/usr/bin/python3
"""Uses the real Tallivor II as a person would, in a private X server, with real keys and clicks:
four starts, a set saved under a name of non-ASCII letters and read back, both clearing commands,
a password changed but not entered, a wrong and a right password. After every step it checks the
data file and the open windows, and takes a screenshot. Where the program is on the accessibility
bus (AT-SPI, Linux) it also reads what a screen reader hears: the windows' roles and names, every
control's name, the menus with their access keys, the Tab order, and the progress steps as they
change. With --other, another build (the Linux one beside the Windows one) reads the saved set
and saves one of its own, which the program then reads: both read each other's files the same.

    e2e.py SHOTS [--other PROGRAM] PROGRAM...    # PROGRAM... starts the program in a folder of
                                                 # its own (e.g. wine Tallivor2.exe)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SHOTS, COMMAND = sys.argv[1], sys.argv[2:]
OTHER = None
if COMMAND[0] == "--other":
    OTHER, COMMAND = COMMAND[1], COMMAND[2:]
FOLDER = os.path.dirname(os.path.abspath(COMMAND[-1]))
DATA = os.path.join(FOLDER, "tallivor.tvr")
WINE = COMMAND[0].endswith("wine")
MAIN = "Tallivor II "  # the main window's caption ends in a blank
PASSWORD, CLUE = "Secret7", "my cat"
# Pasted: xdotool types only what the keyboard map has.
SET_NAME, ENTRY, NUMBER = "Jörg's Café", "Fotobearbeitung für €", "ABC-123"
IMPORTANT = "If you don't want to password this program, leave the box blank and click enter."
DEFAULTS = [f"Ruduze Vad Ovo\tNAME{n}=Set {n}" for n in range(1, 6)]
MENUS = ["File Alt+F: About, Exit", "Sets Alt+S: Set 1, Set 2, Set 3, Set 4, Set 5",
         "Save Alt+S: save set-", "Reset Alt+R: Clear Current Set, Clear All",
         "Password Alt+P: Change Password", "Other Alt+O: Other software, Website, Suggestions"]
SCREEN = [("password text", "Password"), ("text", "Clue"), ("push button", "Enter"),
          ("push button", "I forgot my password")]
BOXES = [("text", f"Entry {k} {what}") for k in range(1, 16)
         for what in ("name", "serial number or password")] + [("text", "Set name")]

try:  # the bus is there only inside dbus-run-session, with python3-gi
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    BUS = not WINE and "DBUS_SESSION_BUS_ADDRESS" in os.environ
except (ImportError, ValueError):
    BUS = False

proc, step, shot_count, heard = None, "", 0, []
log = open(os.path.join(SHOTS, "program.log"), "w")


def fail(message):
    print(f"FAILED in step '{step}': {message}\n--- windows: {sorted(windows())}", file=sys.stderr)
    print("--- data file:\n" + (open(DATA, "rb").read().decode("utf-8", "replace")
                                if os.path.exists(DATA) else "(none)"), file=sys.stderr)
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "failure.png")])
    log.flush()
    print("--- program output:\n" + open(log.name).read(), file=sys.stderr)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def say(text):
    global step
    step = text
    print(f"== {text}", flush=True)


def until(what, found, secs=5):
    """What found() gives once it is true, the bus's events pumped meanwhile."""
    end = time.monotonic() + secs
    while True:
        if BUS:
            while GLib.MainContext.default().iteration(False):
                pass
        try:
            got = found()
        except Exception:  # a window or a bus object that went meanwhile
            got = None
        if got:
            return got
        if time.monotonic() > end:
            fail(f"no {what} after {secs} s")
        time.sleep(0.05)


def x(*args, check_=True):
    """xdotool, one call at a time: several keys in one call raced."""
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=10)
    if check_ and done.returncode:
        fail(f"xdotool {' '.join(args)}: {done.stderr}")
    return done.stdout.rstrip("\n")


def ids():
    """The program's visible windows, menus included."""
    return x("search", "--all", "--onlyvisible", "--pid", str(proc.pid),
             check_=False).split() if proc else []


def windows():
    """{title: id} of the program's visible windows that have a title."""
    named = {x("getwindowname", i, check_=False): i for i in ids()}
    named.pop("", None)
    return named


def expect_windows(*titles, secs=5):
    until(f"windows {sorted(titles)} (now {sorted(windows())})",
          lambda: sorted(windows()) == sorted(titles) or (proc.poll() is not None and fail(
              f"the program ended; expected {titles}")), secs)


def key(name, title=None):
    if title:
        focus(title)
    x("key", name)
    time.sleep(0.15)


def type_text(text):
    x("type", "--delay", "40", text)
    time.sleep(0.15)


def paste(text):
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text, text=True, check=True)
    key("ctrl+v")


def focus(title):
    wid = until(f"window '{title}'", lambda: windows().get(title))
    if x("getactivewindow", check_=False) != wid:
        x("windowactivate", "--sync", wid, check_=False) or x("windowfocus", "--sync", wid)


def click(title, left, top, width, height, below=0):
    """A click in the middle of a control laid out in twips, below pixels under the window's
    top edge (the main window's menu bar)."""
    focus(title)
    x("mousemove", "--window", windows()[title], str((left + width // 2) // 15),
      str(below + (top + height // 2) // 15))
    x("click", "1")
    time.sleep(0.2)


def click_main(left, top, width, height):
    size = x("getwindowgeometry", "--shell", windows()[MAIN])
    click(MAIN, left, top, width, height, int(re.search(r"HEIGHT=(\d+)", size)[1]) - 6180 // 15)


def menu(rights, downs):
    """Opens File with its access letter, goes to the menu and entry, and chooses it."""
    before = len(ids())
    key("alt+f", MAIN)
    until("the File menu", lambda: len(ids()) == before + 1)
    for _ in range(rights):
        key("Right")
        until("the next menu", lambda: len(ids()) == before + 1)
    for _ in range(downs):
        key("Down")
    key("Return")


def box_text(left, top, width, height):
    click_main(left, top, width, height)
    key("ctrl+a")
    key("ctrl+c")
    return subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True,
                          text=True).stdout


def data():
    """The data file as sorted 'section<TAB>KEY=value' lines."""
    lines, section = [], ""
    for line in open(DATA, "rb").read().decode("utf-8").splitlines():
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif line.strip():
            lines.append(f"{section}\t{line}")
    return sorted(lines)


def expect_file(*lines, secs=5):
    until(f"data file {sorted(lines)}", lambda: os.path.exists(DATA) and data() == sorted(lines),
          secs)
    raw = open(DATA, "rb").read()
    check(raw.endswith(b"\r\n") and raw.count(b"\n") == raw.count(b"\r\n"), "lines not in CRLF")


def shot(name, title, icons=(32, 64)):
    """A screenshot of the window; on Linux also the sizes of the icon it offers."""
    global shot_count
    shot_count += 1
    subprocess.run(["import", "-window", windows()[title],
                    os.path.join(SHOTS, f"{shot_count:02d}-{name}.png")], check=True)
    if not WINE and icons:
        got = subprocess.run(["xprop", "-id", windows()[title], "_NET_WM_ICON"],
                             capture_output=True, text=True).stdout
        got = tuple(sorted({int(n) for n in re.findall(r"Icon \((\d+) x \1\)", got)}))
        check(got == icons, f"'{title}' has icons of {got}, expected {icons}")


def start(*env, command=COMMAND):
    global proc
    proc = subprocess.Popen(["env", "QT_QPA_PLATFORM=xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1",
                             "QT_ACCESSIBILITY=1", *env, *command], cwd="/", stdout=log,
                            stderr=log)


def ends():
    try:
        check(proc.wait(5) == 0, f"the program ended with status {proc.returncode}")
    except subprocess.TimeoutExpired:
        fail("the program is still running")


def password_screen(password, button=(120, 1320, 4335, 615)):
    click("Password Screen", 120, 240, 4335, 375)
    type_text(password)
    click("Password Screen", *button)


def set_saved(slot, name, entry, number):
    """Chooses the set, pastes its first entry and its name, and saves it."""
    menu(1, slot - 1)
    click_main(0, 600, 2415, 285)  # Text1
    key("ctrl+a")
    paste(entry)
    key("Tab")
    paste(number)
    click_main(0, 240, 6975, 285)  # the top box, the set's name
    key("ctrl+a")
    paste(name)
    menu(2, 0)  # Save, save set
    expect_windows(MAIN)


def set_shown(slot, name, entry, number):
    menu(1, slot - 1)
    for box, text in [((0, 240, 6975, 285), name), ((0, 600, 2415, 285), entry),
                      ((2640, 600, 4335, 285), number)]:
        check(box_text(*box) == text, f"a box of set {slot} holds {box_text(*box)!r}, not {text!r}")


def with_password(command=COMMAND):
    start(command=command)
    expect_windows("Password Screen", secs=15)
    password_screen(PASSWORD)
    expect_windows(MAIN)


def exchange(saved):
    """The other build reads the saved set and saves set 4; the program reads that back."""
    global DATA
    say("the other build reads the saved set and saves one; this one reads it")
    mine, folder = DATA, tempfile.mkdtemp()
    other = os.path.join(folder, os.path.basename(OTHER))
    shutil.copy(OTHER, other)
    DATA = os.path.join(folder, "tallivor.tvr")
    shutil.copy(mine, DATA)
    with_password([other])
    set_shown(2, SET_NAME, ENTRY, NUMBER)
    set_saved(4, "Ωmega Ünits", "Grüße", "ß-42")
    exchanged = [line.replace("NAME4=Set 4", "NAME4=Ωmega Ünits") for line in saved]
    exchanged += set_section("Ωmega Ünits", "Grüße", "ß-42")
    expect_file(*exchanged)
    menu(0, 1)
    ends()
    shutil.copy(DATA, mine)
    DATA = mine
    with_password()
    set_shown(4, "Ωmega Ünits", "Grüße", "ß-42")
    menu(0, 1)
    ends()
    expect_file(*exchanged)
    shutil.rmtree(folder)
    return exchanged


def answer(title, with_key="Return"):
    until(f"box '{title}'", lambda: windows().get(title))
    key(with_key, title)


def password_screen_opens():
    """The IMPORTANT notice answered, a password screen opens: on the bus, its controls."""
    answer("IMPORTANT")
    until("the password screen", lambda: "IMPORTANT" not in windows() and
          "Password Screen" in windows())
    if BUS:
        screen = bus_window("frame", "Password Screen")
        check(controls(screen) == SCREEN, f"the password screen's controls: {controls(screen)}")
        return screen


def set_section(name, entry, number):
    return ([f"{name}\tNAME={name}", f"{name}\tNAME1={entry}", f"{name}\tNUM1={number}"] +
            [f"{name}\t{k}{n}=" for n in range(2, 16) for k in ("NAME", "NUM")])


# What a screen reader finds on the bus.
def bus_windows():
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    app = next((a for a in apps if a and a.get_process_id() == proc.pid), None)
    return [app.get_child_at_index(i) for i in range(app.get_child_count())] if app else []


def bus_window(role, name):
    return until(f"{role} '{name}' on the bus", lambda: next(
        (w for w in bus_windows() if (w.get_role_name(), w.get_name()) == (role, name)), None))


def descendants(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        yield child
        yield from descendants(child)


def controls(frame):
    return [(c.get_role_name(), c.get_name()) for c in descendants(frame)
            if c.get_state_set().contains(Atspi.StateType.FOCUSABLE)]


def bus_menus(frame):
    bar = next(c for c in descendants(frame) if c.get_role_name() == "menu bar")
    tops = [bar.get_child_at_index(i) for i in range(bar.get_child_count())]
    return [f"{t.get_name()} {Atspi.Action.get_key_binding(t, 0)}: " + ", ".join(
        c.get_name() + ("" if c.get_state_set().contains(Atspi.StateType.ENABLED) else "-")
        for c in descendants(t) if c.get_role_name() == "menu item") for t in tops]


def on_event(event):
    try:
        if event.type.startswith("object:state-changed:focused"):
            if event.detail1:
                heard.append(("focus", event.source.get_name()))
        else:  # a name changed: read it now, past any cache
            event.source.clear_cache()
            heard.append((event.source.get_role_name(), event.source.get_name()))
    except GLib.Error:
        pass


def steps_heard(title, steps):
    """The progress window comes and goes; its label was heard announcing each step."""
    expect_windows(title, secs=3) if title == "Clearing all" else expect_windows(MAIN, title)
    if BUS:
        bus_window("frame", title)
    shot(title.split()[-1].strip("."), title, (16, 32, 48))
    until(f"end of '{title}'", lambda: title not in windows(), 10)
    if BUS:
        got = [name for role, name in heard if role == "label" and name in steps]
        check(got == steps, f"heard {got} from '{title}', expected {steps}")


def main():
    if BUS:
        listener = Atspi.EventListener.new(on_event)
        for event in ("object:property-change:accessible-name", "object:state-changed:focused"):
            listener.register(event)

    say("first start: titles, the IMPORTANT notice, a password and a clue")
    check(not os.path.exists(DATA), "the folder holds a data file")
    start()
    expect_windows("Form3", secs=15)
    check(not os.path.exists(DATA), "the data file was written before the titles")
    expect_file("readone\tREAD2=2", secs=12)  # the first-run marker, after the last title
    shot("splash", "Form3")
    until("the IMPORTANT notice", lambda: "IMPORTANT" in windows(), 10)
    if BUS:
        said = [c.get_name() for c in descendants(bus_window("alert", "IMPORTANT"))]
        check(IMPORTANT in said, f"the IMPORTANT notice reads {said}")
    screen = password_screen_opens()
    click("Password Screen", 120, 240, 4335, 375)
    if WINE:
        type_text(PASSWORD)
    else:  # pasted as a terminal copies it, with a line break: the box keeps none
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=PASSWORD + "\n",
                       text=True, check=True)
        key("ctrl+v")
    click("Password Screen", 120, 720, 4335, 375)  # the clue box: a click empties it
    type_text(CLUE)
    if BUS:
        password = next(c for c in descendants(screen) if c.get_role_name() == "password text")
        check(Atspi.Text.get_text(password, 0, -1) == "" and
              PASSWORD[1:] not in password.get_name() + password.get_description(),
              "the password box gives away what was typed")
    shot("password-screen", "Password Screen")
    click("Password Screen", 120, 1320, 4335, 615)
    expect_windows(MAIN)
    first = [f"readone\tREAD1=1", f"readone\tREAD2={PASSWORD}", f"readone\tREAD3={CLUE}"]
    expect_file(*first, *DEFAULTS)
    if not WINE:  # the window manager's buttons: minimize (0x08, 0x20), no maximize (0x10, 0x40)
        hints = x("search", "--all", "--pid", str(proc.pid), "--name", f"^{MAIN}$").split()[0]
        fields = subprocess.run(["xprop", "-id", hints, "_MOTIF_WM_HINTS"], capture_output=True,
                                text=True).stdout.split("=")[-1].split(",")
        check(int(fields[1], 0) & 0x18 == 0x08 and int(fields[2], 0) & 0x60 == 0x20,
              f"the main window's Motif hints: {fields}")
    if BUS:
        frame = bus_window("frame", MAIN)
        check(controls(frame) == BOXES, f"the main window's controls: {controls(frame)}")
        check([c.get_role_name() for c in descendants(frame)
               if c.get_description() == "Status line"] == ["label"], "no status line")
        check(bus_menus(frame) == MENUS, f"the menus are {bus_menus(frame)}")
        click_main(0, 600, 2415, 285)
        del heard[:]
        for _ in range(30):
            key("Tab")
        focused = lambda: [name for role, name in heard if role == "focus"]  # noqa: E731
        until("30 moves of the focus", lambda: len(focused()) >= 30)
        check(focused() == [name for _, name in BOXES[1:30] + BOXES[:1]],
              f"Tab went through {focused()}")
    shot("main-window-no-set", MAIN)

    say("main window: nothing to clear yet; set 2 chosen, a default name refused, saved")
    key("alt+r", MAIN)
    key("Return")  # Clear Current Set
    answer("Choose a set from set menu")
    menu(1, 1)  # Sets, second entry
    menu(2, 0)  # Save, save set: "Set 2" is a default name
    answer("Pick a name")
    set_saved(2, SET_NAME, ENTRY, NUMBER)
    saved = first + [d.replace("NAME2=Set 2", f"NAME2={SET_NAME}") for d in DEFAULTS] + \
        set_section(SET_NAME, ENTRY, NUMBER)
    expect_file(*saved)
    shot("main-window", MAIN)
    menu(0, 1)  # File, Exit
    ends()

    say("second start: the password in other letter case; the saved set read back")
    start()
    expect_windows("Password Screen", secs=10)
    password_screen(PASSWORD.swapcase())
    expect_windows(MAIN)
    set_shown(2, SET_NAME, ENTRY, NUMBER)
    expect_file(*saved)
    if OTHER:
        menu(0, 1)
        ends()
        saved = exchange(saved)
        with_password()
        menu(1, 1)

    say("Clear Current Set: Escape cancels, then OK clears it")
    old = windows()[MAIN]
    key("alt+r", MAIN)
    key("Return")
    answer("WARNING", "Escape")
    expect_windows(MAIN)
    key("alt+r", MAIN)
    key("Return")
    heard.clear()
    answer("WARNING")
    steps_heard("Clearing it out.", ["Nullifying the names.....", "Nullifying the values.....",
                                     "Resetting the name....."])
    expect_windows(MAIN)
    check(windows()[MAIN] != old, "the main window was not loaded afresh")
    cleared = [line for line in saved if not line.startswith(SET_NAME)]
    cleared += set_section(SET_NAME, "", "")[1:] + [f"{SET_NAME}\tNAME="]
    expect_file(*[line.replace(f"NAME2={SET_NAME}", "NAME2=Set 2") for line in cleared])

    say("Clear All with a new password typed on the change-password screen, not entered")
    key("alt+p", MAIN)
    key("Return")
    password_screen_opens()
    click("Password Screen", 120, 240, 4335, 375)
    type_text("Other1")
    key("alt+r", MAIN)
    key("Down")
    key("Return")  # Clear All
    heard.clear()
    answer("WARNING")
    # The screen goes with the main window; all but the password goes at once.
    cleared = [f"readone\tREAD1=1", f"readone\tREAD2={PASSWORD}", *DEFAULTS]
    expect_file(*cleared)
    steps_heard("Clearing all", ["Deleting everything", "Putting your password back in"])
    expect_windows(MAIN)
    menu(0, 1)
    ends()

    say("third start: the clue is gone; a wrong password ends the program")
    start()
    expect_windows("Password Screen", secs=10)
    click("Password Screen", 120, 2040, 4335, 615)  # I forgot my password
    answer("Clue")
    password_screen("wrong")
    answer("Sorry")
    ends()
    expect_file(*cleared)

    say("fourth start: the password kept by Clear All opens the program; a new one entered")
    with_password()
    key("alt+p", MAIN)
    key("Return")  # Change Password
    password_screen_opens()
    password_screen("Other2", (120, 720, 4335, 375))  # then the clue box, emptied by the click
    type_text("dog")
    click("Password Screen", 120, 1320, 4335, 615)  # Enter: the main window stays as it was
    expect_windows(MAIN)
    changed = [line.replace(PASSWORD, "Other2") for line in cleared] + ["readone\tREAD3=dog"]
    expect_file(*changed)
    menu(0, 1)
    ends()

    if not WINE:
        say("at scale 2 the password screen keeps its proportions; its frame ends the program")
        for scale, size in (("1", "312x187"), ("2", "624x374")):
            start(f"QT_SCALE_FACTOR={scale}")
            expect_windows("Password Screen", secs=10)
            geometry = x("getwindowgeometry", windows()["Password Screen"])
            check(size in geometry.replace(" ", ""), f"at scale {scale}: {geometry}")
            key("alt+F4", "Password Screen")
            ends()
        expect_file(*changed)
    print("e2e: all steps passed", flush=True)


if __name__ == "__main__":
    try:
        main()
    finally:
        if proc and proc.poll() is None:
            proc.kill()
