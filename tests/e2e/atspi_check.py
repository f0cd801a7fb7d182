#!/usr/bin/python3
"""Reads the running Tallivor2 through AT-SPI, as a screen reader such as Orca does: the window
roles and names, the boxes' names on both password screens, that the password box gives no text,
the menus with their access letters, and the progress steps of both clearing commands heard as
name changes. It types and clicks with xdotool.

    atspi_check.py PROGRAM     # PROGRAM in an empty folder; run inside dbus-run-session, with
                               # DISPLAY on an X server that has a window manager
"""
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

PROGRAM = sys.argv[1]
DATA = os.path.join(os.path.dirname(PROGRAM), "tallivor.tvr")
MAIN = "Tallivor II "  # the main window's caption ends in a blank
PASSWORD = "Secret7"
CLUE_PROMPT = "Type something that will make you remember your password"
STEPS = ["Nullifying the names.....", "Nullifying the values.....", "Resetting the name....."]
ALL_STEPS = ["Deleting everything", "Putting your password back in"]
PASSWORD_SCREEN = [("password text", "Password"), ("text", "Clue"), ("push button", "Enter"),
                   ("push button", "I forgot my password")]
# Each menu as "name access-key: entries", a greyed entry marked with "-".
MENUS = ["File Alt+F: About, Exit", "Sets Alt+S: Set 1, Set 2, Set 3, Set 4, Set 5",
         "Save Alt+S: save set-", "Reset Alt+R: Clear Current Set, Clear All",
         "Password Alt+P: Change Password", "Other Alt+O: Other software, Website, Suggestions"]

proc = None
log = tempfile.TemporaryFile(mode="w+")  # the program's output
step = ""
heard = []  # (role, new name, the window it is in) of each accessible-name change
focused = []  # the name of each control as it gains the focus


def say(text):
    global step
    step = text
    print(f"== {text}", flush=True)


def tree(node, depth=0):
    try:
        line = f"{'  ' * depth}{node.get_role_name()} {node.get_name()!r}"
        children = [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except GLib.Error as e:
        return f"{'  ' * depth}({e.message})\n"
    return line + "\n" + "".join(tree(c, depth + 1) for c in children if c)


def fail(message):
    print(f"FAILED in step '{step}': {message}", file=sys.stderr)
    found = application()
    print("--- what the program shows on the bus:", file=sys.stderr)
    print(tree(found) if found else "    (nothing)", file=sys.stderr)
    log.seek(0)
    print("--- program output:\n" + log.read(), file=sys.stderr)
    sys.exit(1)


def pump():
    while GLib.MainContext.default().iteration(False):
        pass


def application():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        try:
            if app and app.get_process_id() == proc.pid:
                return app
        except GLib.Error:
            pass
    return None


def wait(what, find, secs=10):
    """What find() returns once it is true, pumping the bus's events meanwhile."""
    end = time.monotonic() + secs
    while True:
        pump()
        try:
            found = find()
        except GLib.Error:
            found = None
        if found:
            return found
        if proc.poll() is not None:
            fail(f"the program ended (status {proc.returncode}) while waiting for {what}")
        if time.monotonic() > end:
            fail(f"no {what} after {secs} s")
        time.sleep(0.05)


def windows():
    app = application()
    if not app:
        return []
    return [app.get_child_at_index(i) for i in range(app.get_child_count())]


def window(role, name, secs=10):
    return wait(f"{role} '{name}'", lambda: next(
        (w for w in windows() if w.get_name() == name and w.get_role_name() == role), None), secs)


def gone(name, secs=10):
    wait(f"end of '{name}'", lambda: all(w.get_name() != name for w in windows()), secs)


def descendants(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        yield child
        yield from descendants(child)


def controls(frame):
    """(role, name) of every control in the window that takes focus, in tree order."""
    return [(c.get_role_name(), c.get_name()) for c in descendants(frame)
            if c.get_state_set().contains(Atspi.StateType.FOCUSABLE)]


def menus(frame):
    bar = next(c for c in descendants(frame) if c.get_role_name() == "menu bar")
    out = []
    for top in (bar.get_child_at_index(i) for i in range(bar.get_child_count())):
        entries = [c.get_name() + ("" if c.get_state_set().contains(Atspi.StateType.ENABLED)
                                   else "-")
                   for c in descendants(top) if c.get_role_name() == "menu item"]
        out.append(f"{top.get_name()} {Atspi.Action.get_key_binding(top, 0)}: "
                   + ", ".join(entries))
    return out


def text_of(node):
    return Atspi.Text.get_text(node, 0, -1) if "Text" in node.get_interfaces() else None


def child(frame, role, name):
    return next((c for c in descendants(frame)
                 if c.get_role_name() == role and c.get_name() == name), None)


def xdotool(*args):
    try:
        return subprocess.run(["xdotool", *args], check=True, timeout=10, capture_output=True,
                              text=True).stdout.strip()
    except (subprocess.CalledProcessError, subprocess.TimeoutExpired) as e:
        fail(f"xdotool {' '.join(args)}: {e}")


def key(name):
    xdotool("key", name)  # one key per call: several in one call raced
    time.sleep(0.15)


def focus(title):
    # --all: every condition must hold; by default xdotool lists windows matching any of them.
    wid = subprocess.run(["timeout", "10", "xdotool", "search", "--sync", "--all", "--onlyvisible",
                          "--pid", str(proc.pid), "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    if not wid:
        fail(f"no X window '{title}'")
    active = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True)
    if active.stdout.strip() != wid[0]:
        xdotool("windowactivate", "--sync", wid[0])


def click(node):
    """A left click in the middle of the control, where the bus says it is on screen."""
    box = node.get_extents(Atspi.CoordType.SCREEN)
    xdotool("mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2))
    xdotool("click", "1")
    time.sleep(0.2)


def important_notice():
    notice = window("alert", "IMPORTANT", 15)
    said = [c.get_name() for c in descendants(notice) if c.get_role_name() == "label"]
    check("If you don't want to password this program, leave the box blank and click "
          "enter." in said, f"the IMPORTANT notice reads {said}")
    focus("IMPORTANT")
    key("Return")


def clearing(entry_downs, title, steps):
    """Chooses a Reset menu entry, answers its question with OK, and checks what was heard
    from its progress window while it was up."""
    focus(MAIN)
    key("alt+r")
    # What a screen reader announces as the menu opens: its first item, focused.
    item = child(window("frame", MAIN), "menu item", "Clear Current Set")
    check(item is not None, "no menu item 'Clear Current Set'")
    wait("'Clear Current Set' focused",
         lambda: item.get_state_set().contains(Atspi.StateType.FOCUSED), 5)
    for _ in range(entry_downs):
        key("Down")
    key("Return")
    window("alert", "WARNING", 5)
    focus("WARNING")
    del heard[:]
    key("Return")
    window("frame", title, 5)
    gone(title, 10)
    window("frame", MAIN)
    got = [name for role, name, frame in heard if role == "label" and frame == title]
    check(got[:len(steps)] == steps, f"heard {got} from the progress window, expected {steps} "
          f"first (every name change: {heard})")


def on_name_change(event):
    try:
        source = event.source
        frame = source
        while frame and frame.get_role_name() not in ("frame", "application"):
            frame = frame.get_parent()
        # The event carries no name of its own: read the label's name now, past any cache.
        source.clear_cache()
        heard.append((source.get_role_name(), source.get_name(), frame.get_name() if frame else ""))
    except GLib.Error:
        pass  # the window went meanwhile


def on_focus(event):
    try:
        if event.detail1:
            focused.append(event.source.get_name())
    except GLib.Error:
        pass


def check(condition, message):
    if not condition:
        fail(message)


def main():
    global proc
    listener = Atspi.EventListener.new(on_name_change)
    listener.register("object:property-change:accessible-name")
    focus_listener = Atspi.EventListener.new(on_focus)
    focus_listener.register("object:state-changed:focused")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1")
    proc = subprocess.Popen([PROGRAM], env=env, cwd="/", stdout=log, stderr=log)
    try:
        say("first start: the splash and the IMPORTANT notice")
        window("frame", "Form3")
        important_notice()

        say("the password screen: its boxes and buttons, and a password typed")
        screen = window("frame", "Password Screen")
        got = controls(screen)
        check(got == PASSWORD_SCREEN, f"the password screen's controls are {got}")
        password = child(screen, "password text", "Password")
        clue = child(screen, "text", "Clue")
        wait("focus in the password box",
             lambda: password.get_state_set().contains(Atspi.StateType.FOCUSED), 5)
        check(text_of(clue) == CLUE_PROMPT, f"the clue box reads {text_of(clue)!r}")
        focus("Password Screen")
        xdotool("type", "--delay", "40", PASSWORD)
        click(clue)  # a click empties it
        xdotool("type", "--delay", "40", "my cat")
        wait("the typed clue on the bus", lambda: text_of(clue) == "my cat", 5)
        for what in (password.get_name(), password.get_description()):
            check(PASSWORD[1:] not in what, f"the password box gives away {what!r}")
        check(text_of(password) == "", f"the password box gives {text_of(password)!r}")
        click(child(screen, "push button", "Enter"))

        say("the main window: the 31 boxes, the status line and the menus")
        main_frame = window("frame", MAIN)
        wait("the password in the data file", lambda: os.path.exists(DATA) and
             f"READ2={PASSWORD}" in open(DATA, encoding="utf-8").read(), 5)
        want = [("text", f"Entry {k} {what}") for k in range(1, 16)
                for what in ("name", "serial number or password")] + [("text", "Set name")]
        got = controls(main_frame)
        check(got == want, "the main window's controls differ: " +
              str([(g, w) for g, w in zip(got + [None] * 31, want) if g != w][:5]))
        status = [c for c in descendants(main_frame) if c.get_description() == "Status line"]
        check(len(status) == 1 and status[0].get_role_name() == "label",
              "no label described as the status line")

        got = menus(main_frame)
        check(got == MENUS, f"the menus are {got}, expected {MENUS}")
        # Tab: entry by entry, name then number; the top box is disabled until a set is chosen.
        focus(MAIN)
        click(child(main_frame, "text", "Entry 1 name"))
        del focused[:]
        xdotool("key", "--delay", "50", *["Tab"] * 30)
        wait("30 moves of the focus", lambda: len(focused) >= 30, 10)
        check(focused[:30] == [name for _, name in want[1:30]] + [want[0][1]],
              f"Tab moved the focus through {focused}")

        say("Change Password: the same boxes and buttons; closed by its frame")
        focus(MAIN)
        key("alt+p")
        key("Return")
        important_notice()
        got = controls(window("frame", "Password Screen"))
        check(got == PASSWORD_SCREEN, f"the change-password screen's controls are {got}")
        focus("Password Screen")
        key("alt+F4")
        gone("Password Screen", 5)

        say("Clear Current Set and Clear All: the steps heard while their windows are up")
        focus(MAIN)
        key("alt+s")  # Sets, first entry: there is a set to clear
        key("Return")
        clearing(0, "Clearing it out.", STEPS)
        clearing(1, "Clearing all", ALL_STEPS)
        print("atspi_check: all steps passed", flush=True)
    finally:
        if proc.poll() is None:
            proc.terminate()
            proc.wait(5)


if __name__ == "__main__":
    main()
