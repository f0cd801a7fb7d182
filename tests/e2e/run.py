#!/usr/bin/python3
"""Runs the real Tallivor II in an X server and uses it as a person would, with keys and clicks:
a first start (the titles, the IMPORTANT notice, a password and a clue), the main window with a
set saved under a name of non-ASCII letters, Exit, a second start that asks for the password and
finds the set, and Clear Current Set. After each step it compares the data file beside the
program byte for byte with what the step must leave, and takes a screenshot.

The steps take the program's command line, so one run drives any build:

    run.py build/release/src/Tallivor2
    run.py wine build/windows/src/Tallivor2.exe
    run.py --other build/release/src/Tallivor2 wine build/windows/src/Tallivor2.exe

With --other, the data file the program saved is then read by the other build, which saves a set
of its own that the program reads back: both builds read each other's files the same way.

The program is copied into a fresh folder for each run, so its data file starts empty. It needs
DISPLAY on an X server with a window manager (tests/e2e/xsession.sh starts one), xdotool, xclip
and ImageMagick's import; screenshots, the data file after each step and the program's output
go to --shots (build/e2e-run-shots unless given).
"""
import argparse
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

MAIN = "Tallivor II "  # the main window's caption ends in a blank
PASSWORD = "Secret7"
CLUE = "my cat"
# Pasted, not typed: xdotool can type only what the keyboard map has.
SET_NAME = "Jörg's Café"
ENTRY = ("Fotobearbeitung für €", "ABC-123")
# What the other build saves into set 4, for the program to read.
OTHER_SET = ("Ωmega Ünits", "Grüße", "ß-42")


class Failure(Exception):
    pass


def ini(*lines):
    """Data-file bytes: every line ended with CRLF, as the program writes them."""
    return "".join(line + "\r\n" for line in lines).encode()


def names(*set_names):
    return ["[Ruduze Vad Ovo]"] + [f"NAME{k}={n}" for k, n in enumerate(set_names, 1)]


def set_section(name, entry=("", ""), own=None):
    """A set section as the program writes it: fifteen names, fifteen numbers, its own name."""
    return ([f"[{name}]", f"NAME1={entry[0]}"] + [f"NAME{k}=" for k in range(2, 16)] +
            [f"NUM1={entry[1]}"] + [f"NUM{k}=" for k in range(2, 16)] +
            [f"NAME={name if own is None else own}"])


STATE = ["[readone]", f"READ2={PASSWORD}", f"READ3={CLUE}", "READ1=1"]
FIRST = ini(*STATE, *names("Set 1", "Set 2", "Set 3", "Set 4", "Set 5"))
SAVED = ini(*STATE, *names("Set 1", SET_NAME, "Set 3", "Set 4", "Set 5"),
            *set_section(SET_NAME, ENTRY))
CLEARED = ini(*STATE, *names("Set 1", "Set 2", "Set 3", "Set 4", "Set 5"),
              *set_section(SET_NAME, own=""))
EXCHANGED = ini(*STATE, *names("Set 1", SET_NAME, "Set 3", OTHER_SET[0], "Set 5"),
                *set_section(SET_NAME, ENTRY), *set_section(OTHER_SET[0], OTHER_SET[1:]))


def x(*args, check=True):
    """An X tool's output; xdotool returns 1 when a search finds nothing."""
    done = subprocess.run(args, capture_output=True, text=True, timeout=20)
    if check and done.returncode != 0:
        raise Failure(f"{shlex.join(args)}: {done.stderr.strip()}")
    return done.stdout


def wait(what, find, secs=10):
    end = time.monotonic() + secs
    while True:
        found = find()
        if found:
            return found
        if time.monotonic() > end:
            raise Failure(f"no {what} after {secs} s")
        time.sleep(0.05)


class Program:
    """One copy of the program in a folder of its own, started by its command line; its last
    word is the executable, copied into the folder, where the program keeps its data file."""

    def __init__(self, command, label, shots):
        self.folder = tempfile.mkdtemp(prefix="tallivor2-")
        exe = os.path.join(self.folder, os.path.basename(command[-1]))
        shutil.copy2(command[-1], exe)
        self.command = command[:-1] + [exe]
        self.data = os.path.join(self.folder, "tallivor.tvr")
        self.label = label
        self.shots = shots
        self.log = open(os.path.join(shots, f"{label}-program.log"), "ab")
        self.proc = None
        self.count = 0

    # -- the process and its windows ---------------------------------------------------------

    def start(self):
        self.proc = subprocess.Popen(self.command, cwd="/", stdout=self.log,
                                     stderr=subprocess.STDOUT)

    def ends(self):
        try:
            status = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("the program is still running")
        self.proc = None
        if status != 0:
            raise Failure(f"the program ended with status {status}")

    def stop(self):
        if self.proc:
            self.proc.kill()
            self.proc.wait()
            self.proc = None
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def windows(self):
        """(id, title) of the program's visible windows; menus have no title."""
        if not self.proc:
            return []
        ids = x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.proc.pid),
                check=False).split()
        return [(i, x("xdotool", "getwindowname", i, check=False).rstrip("\n")) for i in ids]

    def titles(self):
        return sorted(t for _, t in self.windows())

    def expect_windows(self, *titles, secs=5):
        want = sorted(titles)

        def there():
            if self.proc.poll() is not None:
                raise Failure(f"the program ended; expected windows {want}")
            return self.titles() == want
        try:
            wait(f"windows {want}", there, secs)
        except Failure:
            raise Failure(f"windows are {self.titles()}, expected {want}")

    def window(self, title, secs=5):
        return wait(f"window '{title}'", lambda: next(
            (i for i, t in self.windows() if t == title), None), secs)

    # -- the data file -----------------------------------------------------------------------

    def bytes(self):
        try:
            with open(self.data, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def expect_file(self, want, secs=5):
        """Waits for the data file to hold exactly these bytes (timers write it too)."""
        try:
            wait("data file as expected", lambda: self.bytes() == want, secs)
        except Failure:
            got = self.bytes()
            got = got.decode(errors="replace").splitlines(keepends=True) if got else ["(none)"]
            diff = "".join(f"\n  {'=' if g.encode() in want else '+'} {g!r}" for g in got)
            raise Failure(f"the data file differs (+: not expected):{diff}")
        self.count += 1
        copy = os.path.join(self.shots, f"{self.label}-{self.count:02}-data.tvr")
        shutil.copy(self.data, copy)
        return copy

    def shot(self, name, title):
        self.count += 1
        path = os.path.join(self.shots, f"{self.label}-{self.count:02}-{name}.png")
        wid = self.window(title)
        if subprocess.run(["import", "-frame", "-window", wid, path],
                          capture_output=True).returncode != 0:
            x("import", "-window", wid, path)

    # -- input: one key per xdotool call, to the window that should have it ------------------

    def focus(self, title):
        wid = self.window(title)
        if x("xdotool", "getactivewindow", check=False).strip() != wid:
            if subprocess.run(["xdotool", "windowactivate", "--sync", wid], capture_output=True,
                              timeout=5).returncode != 0:
                x("xdotool", "windowfocus", "--sync", wid)

    def key(self, *keys):
        for k in keys:
            x("xdotool", "key", k)
            time.sleep(0.15)

    def type(self, text):
        x("xdotool", "type", "--delay", "40", text)
        time.sleep(0.15)

    def paste(self, text):
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode(),
                       check=True, timeout=10)
        self.key("ctrl+v")

    def click(self, title, px, py):
        wid = self.window(title)
        self.focus(title)
        x("xdotool", "mousemove", "--window", wid, str(px), str(py))
        time.sleep(0.1)
        x("xdotool", "click", "1")
        time.sleep(0.2)

    def click_main(self, left, top, width, height):
        """A control of the main window at its layout position in twips (15 a pixel), below
        the menu bar: the client area under the bar is 6180 twips high."""
        wid = self.window(MAIN)
        h = int(x("xdotool", "getwindowgeometry", "--shell", wid).split("HEIGHT=")[1].split()[0])
        self.click(MAIN, (left + width // 2) // 15, (top + height // 2) // 15 + h - 6180 // 15)

    def menu(self, rights, downs):
        """Opens File by its access letter, moves rights menus to the right and downs entries
        down, and chooses that entry. (Alt+S is shared by Sets and Save.)"""
        self.focus(MAIN)
        before = len(self.windows())
        self.key("alt+f")
        wait("the menu", lambda: len(self.windows()) == before + 1, 3)
        for _ in range(rights):
            self.key("Right")
            wait("the next menu", lambda: len(self.windows()) == before + 1, 3)
        self.key(*["Down"] * downs, "Return")

    def box(self, left, top, width, height):
        """The text of the main window's box there, copied through the clipboard."""
        self.click_main(left, top, width, height)
        self.key("ctrl+a", "ctrl+c")
        return x("xclip", "-selection", "clipboard", "-o", check=False)

    # -- what a user does --------------------------------------------------------------------

    def enter_password(self, with_clue=False):
        """Password Screen: the password box has the focus; Tab goes to Enter, I forgot my
        password, the clue box; Space presses a button."""
        self.focus("Password Screen")
        self.type(PASSWORD)
        if with_clue:
            self.key("Tab", "Tab", "Tab")  # the clue box, its prompt selected
            self.type(CLUE)
            self.key("shift+Tab", "shift+Tab")
        else:
            self.key("Tab")
        self.key("space")  # Enter

    def choose_set(self, slot):
        self.menu(1, slot - 1)
        self.expect_windows(MAIN)

    def expect_set(self, name, entry):
        for box, want in (((0, 240, 6975, 285), name), ((0, 600, 2415, 285), entry[0]),
                          ((2640, 600, 4335, 285), entry[1])):
            got = self.box(*box)
            if got != want:
                raise Failure(f"the box at {box} holds {got!r}, expected {want!r}")

    def save_set(self, slot, name, entry):
        """Types the entry into the first boxes and the name into the top box, then saves."""
        self.choose_set(slot)
        self.click_main(0, 600, 2415, 285)  # Text1
        self.key("ctrl+a")
        self.paste(entry[0])
        self.key("Tab")  # Text2
        self.paste(entry[1])
        self.click_main(0, 240, 6975, 285)  # Text31, the set's name
        self.key("ctrl+a")
        self.paste(name)
        self.menu(2, 0)  # Save, save set
        self.expect_windows(MAIN)

    def second_start(self):
        self.start()
        self.expect_windows("Password Screen", secs=15)
        self.enter_password()
        self.expect_windows(MAIN)

    def exit(self):
        self.menu(0, 1)  # File, Exit
        self.ends()


step_name = ""


def step(name):
    global step_name
    step_name = name
    print(f"== {name}", flush=True)


def main_steps(p):
    step(f"{p.label}: first start: titles, IMPORTANT notice, a password and a clue")
    if p.bytes() is not None:
        raise Failure("the folder is not empty")
    p.start()
    p.expect_windows("Form3", secs=15)
    # The first-run marker is written once the last title is up, about five seconds in.
    p.expect_file(ini("[readone]", "READ2=2"), secs=15)
    p.shot("splash", "Form3")
    p.expect_windows("Form3", "IMPORTANT", secs=10)
    p.shot("important-notice", "IMPORTANT")
    p.focus("IMPORTANT")
    p.key("Return")
    p.expect_windows("Password Screen")
    p.enter_password(with_clue=True)
    p.expect_windows(MAIN)
    p.expect_file(FIRST)
    p.shot("main-window-no-set", MAIN)

    step(f"{p.label}: main window: set 2 saved under a name of its own")
    p.save_set(2, SET_NAME, ENTRY)
    saved = p.expect_file(SAVED)
    p.shot("set-saved", MAIN)
    p.exit()
    p.expect_file(SAVED)

    step(f"{p.label}: second start: the password asked, the set there")
    p.second_start()
    p.choose_set(2)
    p.expect_set(SET_NAME, ENTRY)
    p.expect_file(SAVED)
    p.shot("set-reloaded", MAIN)
    return saved


def clear_current_set(p):
    step(f"{p.label}: Clear Current Set")
    old = p.window(MAIN)
    p.focus(MAIN)
    p.key("alt+r")  # Reset, by its access letter
    wait("the Reset menu", lambda: len(p.windows()) == 2, 3)
    p.key("Return")  # Clear Current Set
    p.expect_windows(MAIN, "WARNING")
    p.shot("clear-warning", "WARNING")
    p.focus("WARNING")
    p.key("Return")
    p.expect_windows(MAIN, "Clearing it out.")
    p.shot("clearing", "Clearing it out.")
    p.expect_windows(MAIN, secs=10)
    if p.window(MAIN) == old:
        raise Failure("the main window was not loaded afresh")
    p.expect_file(CLEARED)
    p.shot("cleared", MAIN)
    p.exit()
    p.expect_file(CLEARED)


def exchange(p, saved, other):
    """saved: the data file as the program saved set 2."""
    step(f"{other.label} reads what {p.label} saved, and saves set 4")
    shutil.copy(saved, other.data)
    other.second_start()
    other.choose_set(2)
    other.expect_set(SET_NAME, ENTRY)
    other.save_set(4, OTHER_SET[0], OTHER_SET[1:])
    other.expect_file(EXCHANGED)
    other.shot("set-4-saved", MAIN)
    other.exit()

    step(f"{p.label} reads what {other.label} saved")
    shutil.copy(other.data, p.data)
    p.second_start()
    p.choose_set(4)
    p.expect_set(OTHER_SET[0], OTHER_SET[1:])
    p.choose_set(2)
    p.expect_set(SET_NAME, ENTRY)
    p.shot("other-builds-sets", MAIN)
    p.exit()
    p.expect_file(EXCHANGED)


def label_of(command):
    return "wine" if os.path.basename(command[0]).startswith("wine") else "native"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--shots", default="build/e2e-run-shots")
    parser.add_argument("--other", help="another build's command line, to exchange files with")
    parser.add_argument("program", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if not args.program:
        parser.error("the program's command line is missing")
    shutil.rmtree(args.shots, ignore_errors=True)
    os.makedirs(args.shots)
    command = args.program
    p = Program(command, label_of(command), args.shots)
    other = None
    if args.other:
        other_command = shlex.split(args.other)
        other = Program(other_command, label_of(other_command), args.shots)
        if other.label == p.label:
            other.label += "-other"
    started = time.monotonic()
    try:
        saved = main_steps(p)
        clear_current_set(p)
        if other:
            exchange(p, saved, other)
    except (Failure, subprocess.TimeoutExpired) as e:
        print(f"FAILED in step '{step_name}': {e}", file=sys.stderr)
        for q in filter(None, (p, other)):
            print(f"--- {q.label}: open windows {q.titles()}; data file:", file=sys.stderr)
            print(f"    {q.bytes()!r}", file=sys.stderr)
        subprocess.run(["import", "-window", "root", os.path.join(args.shots, "failure.png")])
        return 1
    finally:
        for q in filter(None, (p, other)):
            q.stop()
    print(f"e2e: all steps passed in {time.monotonic() - started:.0f} s; screenshots in "
          f"{args.shots}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
