#!/usr/bin/python3
# Uses the real Tallivor II as a person would, in a private X server, with real keys and clicks:
# a first start over an unfinished file, a set saved under a pasted name of non-ASCII letters with
# outer blanks and read back, both clearing commands, a password changed but not entered, a wrong
# and a right password, Exit with the change-password screen open, the frame, the password screen
# at scale 2. After every step it checks the data file and the open windows. Where the program
# is on the accessibility bus (AT-SPI, Linux) it finds there the controls it clicks, and reads
# what a screen reader hears: the windows' roles and names, every control's name, the menus with
# their access keys, the Tab order, and the progress steps as they change. With --other, another
# build (the Linux one beside the Windows one) reads the saved set and saves one of its own, which
# the program then reads: both read each other's files the same.
#
#   e2e.py SHOTS [--other PROGRAM] PROGRAM...    # PROGRAM... starts the program in a folder of
#                                                # its own (e.g. wine Tallivor2.exe)
import contextlib, os, re, shutil, subprocess, sys, time  # noqa: E401

SHOTS, COMMAND = sys.argv[1], sys.argv[2:]
OTHER = COMMAND[1] if COMMAND[0] == "--other" else None
COMMAND = COMMAND[2:] if OTHER else COMMAND
DATA = os.path.join(os.path.dirname(os.path.abspath(COMMAND[-1])), "tallivor.tvr")
WINE = COMMAND[0].endswith("wine")
MAIN, SCREEN = "Tallivor II ", "Password Screen"  # the main window's caption ends in a blank
PASSWORD, CLUE = "Secret7", "my cat"
# Sets as (name, first entry, its number), pasted: xdotool types only what the keyboard map has.
SET = ("Jörg's Café & Bar", "Fotobearbeitung für €", "ABC-123-ÆØ")
OTHER_SET = ("Ωmega Ünits", "Grüße", "ß-42")
BOXES = ["Set name", "Entry 1 name", "Entry 1 serial number or password"]
IMPORTANT = "If you don't want to password this program, leave the box blank and click enter."
DEFAULTS = [f"Ruduze Vad Ovo\tNAME{n}=Set {n}" for n in range(1, 6)]
MENUS = ["File Alt+F: About, Exit", "Sets Alt+S: Set 1, Set 2, Set 3, Set 4, Set 5",
         "Save Alt+S: save set-", "Reset Alt+R: Clear Current Set, Clear All",
         "Password Alt+P: Change Password", "Other Alt+O: Other software, Website, Suggestions"]
SCREEN_CONTROLS = [("password text", "Password"), ("text", "Clue"), ("push button", "Enter"),
                   ("push button", "I forgot my password")]
CONTROLS = [("text", f"Entry {k} {what}") for k in range(1, 16)
            for what in ("name", "serial number or password")] + [("text", "Set name")]
ROLES = {name: role for role, name in SCREEN_CONTROLS + CONTROLS}
# The fallback where there is no bus (Wine): the middles of the controls clicked, in twips from
# the window's top left; in the main window, from the top of its controls under the menu bar.
NO_BUS = {"Password": (2287, 427), "Clue": (2287, 907), "Enter": (2287, 1627),
          "I forgot my password": (2287, 2347), "Set name": (3487, 382),
          "Entry 1 name": (1207, 742), "Entry 1 serial number or password": (4807, 742)}

try:  # the bus is there only inside dbus-run-session, with python3-gi
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    BUS = not WINE and "DBUS_SESSION_BUS_ADDRESS" in os.environ
except (ImportError, ValueError):
    BUS = False

proc, stages = None, [""]
log = open(os.path.join(SHOTS, "program.log"), "w")


def check(condition, message):
    if not condition:
        subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "failure.png")])
        text = open(DATA, "rb").read().decode("utf-8", "replace") if os.path.isfile(DATA) else "-"
        sys.exit(f"FAILED in step '{stages[-1]}': {message}\n--- windows: {sorted(windows())}\n"
                 f"--- data file:\n{text}\n--- program output:\n{open(log.name).read()}")


def say(text):
    stages.append(text)
    print(f"== {text}", flush=True)


# What found() gives once it is true, the bus's events pumped meanwhile.
def until(what, found, secs=5):
    end = time.monotonic() + secs
    while True:
        while BUS and GLib.MainContext.default().iteration(False):
            pass
        running = proc.poll() is None  # before found(), which may wait for the end
        with contextlib.suppress(Exception):  # a window or a bus object that went meanwhile
            if got := found():
                return got
        check(running, f"the program ended, waiting for {what}")
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


# The keys, one xdotool call each (several in one call raced), in window `to` if given. The
# program takes them in order, so only a step that needs their effect waits for it.
def key(*names, to=None):
    if to:
        wid = until(f"window '{to}'", lambda: windows().get(to))
        # Keys go where the X focus is, which the window manager may give a moment later.
        until(f"the focus in '{to}'", lambda: x("getwindowfocus", "-f", check_=False) == wid
              or x("windowactivate", wid, check_=False) == "asked again")
    for name in names:
        x("key", name)
    return to and wid


def clipboard(text=None):
    if text is None:
        return subprocess.check_output(["xclip", "-selection", "clipboard", "-o"], text=True)
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text, text=True, check=True)
    until("the clipboard", lambda: clipboard() == text)


# A click in the middle of a control: where the bus shows it, or else where it is laid out.
def click(title, name):
    wid = key(to=title)
    if BUS:
        extents = bus_window(ROLES[name], name, title).get_extents(Atspi.CoordType.SCREEN)
        x("mousemove", str(extents.x + extents.width // 2), str(extents.y + extents.height // 2))
    else:
        left, top = NO_BUS[name]
        size = x("getwindowgeometry", "--shell", wid)
        below = int(re.search(r"HEIGHT=(\d+)", size)[1]) - 6180 // 15 if title == MAIN else 0
        x("mousemove", "--window", wid, str(left // 15), str(below + top // 15))
    x("click", "1")


# Types or pastes the text into the box; a click empties a password screen's box by itself. On
# the bus it waits until the box holds it (a password box tells only its length).
def fill(title, name, text, pasted=False):
    pasted and clipboard(text)
    click(title, name)
    title == MAIN and key("ctrl+a")  # a password screen's box is emptied by the click
    key("ctrl+v") if pasted else x("type", "--delay", "40", text)
    if BUS:
        box, shown = bus_window(ROLES[name], name, title), text.replace("\n", "")
        until(f"'{name}' holding {shown!r}", lambda: Atspi.Text.get_character_count(box) == len(
            shown) and Atspi.Text.get_text(box, 0, -1) == ("" if name == "Password" else shown))


# What the box holds, copied out of it through the clipboard.
def copied(title, name):
    clipboard("(nothing)")
    click(title, name)
    key("ctrl+a", "ctrl+c")
    return until(f"a copy of '{name}'", lambda: (got := clipboard()) != "(nothing)" and got)


# Opens a menu by its access letter, goes right to the next menus and down to the entry, and
# chooses it; then waits until the menu is gone: the windows are those before and the one the
# entry opens, or the program ended. (Alt+S goes to Sets or Save by turns: Right is surer.)
def menu(letter, downs, rights=0, opens=None):
    key(to=MAIN)
    before, popup = set(ids()), set()
    for name in [f"alt+{letter}"] + ["Right"] * rights:
        x("key", name)
        popup = until("the next menu", lambda: (new := set(ids()) - before) != popup and new)
    key(*["Down"] * downs, "Return")
    until(f"the menu gone, {opens or 'nothing'} opened", lambda: proc.poll() is not None or
          set(ids()) == before | {windows()[title] for title in [opens] if title})


# The data file as sorted 'section<TAB>KEY=value' lines.
def data():
    parts = re.split(r"^\[(.*)\]\r?$", open(DATA, "rb").read().decode("utf-8"), flags=re.M)
    return sorted(f"{section}\t{line}" for section, lines in zip(parts[1::2], parts[2::2])
                  for line in lines.splitlines() if line.strip())


def expect_file(*lines, secs=5):
    until(f"data file {sorted(lines)}", lambda: data() == sorted(lines), secs)


def set_section(name, entry, number):
    return ([f"{name}\tNAME={name}", f"{name}\tNAME1={entry}", f"{name}\tNUM1={number}"] +
            [f"{name}\t{k}{n}=" for n in range(2, 16) for k in ("NAME", "NUM")])


# Starts the program; its first window is all there is of it.
def start(*env, command=COMMAND, first=SCREEN):
    global proc
    env = ["QT_QPA_PLATFORM=xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "QT_ACCESSIBILITY=1", *env]
    proc = subprocess.Popen(["env", *env, *command], cwd="/", stdout=log, stderr=log)
    expect_windows(first, secs=15)


# The program ends, through File, Exit unless it is on the way already.
def ends(from_menu=True):
    from_menu and menu("f", 1)
    until("the program's end", lambda: proc.poll() is not None)
    check(proc.returncode == 0, f"the program ended with status {proc.returncode}")


# Starts the program and opens it with what is typed last in the password box.
def with_password(*typed, command=COMMAND):
    start(command=command)
    for text in typed or [PASSWORD]:
        fill(SCREEN, "Password", text)
    click(SCREEN, "Enter")
    expect_windows(MAIN)


# Answers the box with Return; on the bus it said the text first.
def answer(title, text):
    if BUS:
        said = [c.get_name() for c in descendants(bus_window("alert", title))]
        check(text in said, f"'{title}' says {said}, not {text!r}")
    key("Return", to=title)


# The IMPORTANT notice answered, a password screen opens: on the bus, its controls.
def screen_opens(notice=IMPORTANT):
    answer("IMPORTANT", notice)
    until("the password screen", lambda: "IMPORTANT" not in windows() and SCREEN in windows())
    if BUS:
        got = controls(bus_window("frame", SCREEN))
        check(got == SCREEN_CONTROLS, f"the password screen has {got}")


# Chooses the set; to save, pastes its first entry and number, and its name with outer blanks,
# and saves. Then reads the boxes back: the name is shown as stored, without the blanks.
def set_(slot, texts, save):
    menu("f", slot - 1, rights=1)
    if save:
        for name, text in zip(BOXES, [f" {texts[0]}\t", *texts[1:]]):
            fill(MAIN, name, text, pasted=True)
        menu("f", 0, rights=2)
    for name, text in zip(BOXES, texts):
        got = copied(MAIN, name)
        check(got == text, f"'{name}' of set {slot} holds {got!r}, not {text!r}")


# What a screen reader finds on the bus.
def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def descendants(node):
    return [d for child in children(node) for d in [child, *descendants(child)]]


# A window of the program, or the control of that name in the window titled `title`.
def bus_window(role, name, title=None):
    return until(f"{role} '{name}' on the bus", lambda: next(
        c for app in children(Atspi.get_desktop(0)) if app and app.get_process_id() == proc.pid
        for w in children(app) if title in (None, w.get_name())
        for c in (descendants(w) if title else [w]) if (c.get_role_name(), c.get_name()) == (
            role, name)))


def controls(frame):
    return [(c.get_role_name(), c.get_name()) for c in descendants(frame)
            if c.get_state_set().contains(Atspi.StateType.FOCUSABLE)]


def bus_menus(frame):
    bar = next(c for c in descendants(frame) if c.get_role_name() == "menu bar")
    return [f"{t.get_name()} {Atspi.Action.get_key_binding(t, 0)}: " + ", ".join(
        c.get_name() + ("" if c.get_state_set().contains(Atspi.StateType.ENABLED) else "-")
        for c in descendants(t) if c.get_role_name() == "menu item") for t in children(bar)]


# Tab, from the control clicked, takes the focus through `names` in turn.
def tab_order(title, first, names):
    click(title, first)
    for n, name in enumerate([first, *names]):
        n and key("Tab")
        box = bus_window(ROLES[name], name, title)
        until(f"the focus in '{name}'", lambda: box.clear_cache() or
              box.get_state_set().contains(Atspi.StateType.FOCUSED))
# The label's name now, past any cache.
def name_now(node):
    with contextlib.suppress(GLib.Error):  # gone meanwhile
        node.clear_cache()
        return node.get_name()


# The WARNING answered with OK, a progress window comes and goes; on the bus its label announced
# each step in turn. Heard through events, which a listener registered just before may miss at
# first, and read every moment, which a loaded machine may miss in between: both together. (An
# event does not carry the name: it is read when the event is handled.)
def steps_heard(title, steps):
    read = []
    if BUS:
        listener = Atspi.EventListener.new(lambda e: read.append(name_now(e.source)))
        listener.register("object:property-change:accessible-name")
    key("Return", to="WARNING")
    if BUS:
        label = until("the progress label", lambda: next(
            c for c in descendants(bus_window("frame", title)) if c.get_role_name() == "label"))

        def last_step():
            read.append(name_now(label))
            return read[-1] == steps[-1]
        until(f"'{title}' at its last step", last_step, 10)
        listener.deregister("object:property-change:accessible-name")
        got = [r for n, r in enumerate(read) if r in steps and r not in read[:n]]
        check(got == steps, f"'{title}' read {read}, expected {steps}")
    subprocess.run(["import", "-window", until(title, lambda: windows()[title]),
                    os.path.join(SHOTS, f"{title.strip('.')}.png")])
    until(f"end of '{title}'", lambda: title not in windows(), 10)
    expect_windows(MAIN)


def main():
    say("first start over a file whose first run never ended: titles, IMPORTANT, password, clue")
    # "1 " is no sign of a finished first start: the names it left go back to the defaults.
    open(DATA, "wb").write(b"[readone]\r\nREAD2=old\r\nREAD1=1 \r\n"
                           b"[Ruduze Vad Ovo]\r\nNAME1=Old\r\n")
    unfinished = data()
    start(first="Form3")
    check(data() == unfinished, "the data file was written before the titles")
    # the first-run marker, after the last title
    expect_file("readone\tREAD2=2", "readone\tREAD1=1 ", "Ruduze Vad Ovo\tNAME1=Old", secs=12)
    screen_opens()
    BUS and tab_order(SCREEN, "Password", ["Enter", "I forgot my password", "Clue", "Password"])
    # Pasted as a terminal copies it, with a line break: the box keeps none.
    fill(SCREEN, "Password", PASSWORD if WINE else PASSWORD + "\n", pasted=not WINE)
    fill(SCREEN, "Clue", CLUE)
    click(SCREEN, "Enter")
    expect_windows(MAIN)
    first = [f"readone\tREAD1=1", f"readone\tREAD2={PASSWORD}", f"readone\tREAD3={CLUE}"]
    expect_file(*first, *DEFAULTS)
    if BUS:
        frame = bus_window("frame", MAIN)
        check(controls(frame) == CONTROLS, f"the main window's controls: {controls(frame)}")
        check(bus_menus(frame) == MENUS, f"the menus are {bus_menus(frame)}")
        # Before a set is chosen, the set's name is no stop.
        tab_order(MAIN, "Entry 1 name", [name for _, name in CONTROLS[1:30] + CONTROLS[:1]])

    say("set 2 saved under a pasted name with outer blanks, and read back")
    set_(2, SET, save=True)
    saved = first + [d.replace("NAME2=Set 2", f"NAME2={SET[0]}") for d in DEFAULTS]
    saved += set_section(*SET)
    expect_file(*saved)
    ends()

    say("second start: the password in other letter case, typed over a click; the set read back")
    with_password("typo", PASSWORD.swapcase())  # the click empties the box
    set_(2, SET, save=False)
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

    say("Clear Current Set: Escape cancels, then OK clears it")
    menu("r", 0, opens="WARNING")
    key("Escape", to="WARNING")
    expect_windows(MAIN)
    menu("r", 0, opens="WARNING")
    steps_heard("Clearing it out.", ["Nullifying the names.....", "Nullifying the values.....",
                                     "Resetting the name....."])

    say("Clear All with a new password typed on the change-password screen, not entered")
    menu("p", 0, opens="IMPORTANT")
    screen_opens()
    fill(SCREEN, "Password", "Other1")
    menu("r", 1, opens="WARNING")
    # The screen goes with the main window; all but the password goes at once.
    cleared = [f"readone\tREAD1=1", f"readone\tREAD2={PASSWORD}", *DEFAULTS]
    steps_heard("Clearing all", ["Deleting everything", "Putting your password back in"])
    expect_file(*cleared)
    ends()

    say("third start: the clue is gone; a wrong password ends the program")
    start()
    click(SCREEN, "I forgot my password")
    answer("Clue", "The clue you left for yourself was: ")
    fill(SCREEN, "Password", "wrong")
    click(SCREEN, "Enter")
    answer("Sorry", "Sorry, wrong password")
    ends(from_menu=False)  # the file as it was: checked with the next change

    say("fourth start: the password kept by Clear All opens the program; a new one entered")
    with_password()
    menu("p", 0, opens="IMPORTANT")
    screen_opens()
    fill(SCREEN, "Password", "Other2")
    fill(SCREEN, "Clue", "dog")  # the click empties the box
    click(SCREEN, "Enter")  # the main window stays as it was
    expect_windows(MAIN)
    changed = [line.replace(PASSWORD, "Other2") for line in cleared] + ["readone\tREAD3=dog"]
    expect_file(*changed)
    menu("p", 0, opens="IMPORTANT")
    screen_opens()
    ends()  # Exit, with the change-password screen open

    if not WINE:
        say("the frames end the program; at scale 2 the password screen keeps its proportions")
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


main()  # a program still running goes with the X server
