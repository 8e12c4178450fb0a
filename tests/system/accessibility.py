#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Drives the real program the way a screen reader or keyboard user does: through the
accessibility interface (AT-SPI) and the keyboard, on a copy of the sample menu under Xvfb.
It exports a node and takes the export back, leaves an edited entry for another item and
answers "Abbrechen", creates a node and an entry in it, edits and saves the entry, leaves an
edit unsaved and discards it on closing, and checks the file on disk.

Run inside a D-Bus bus of its own:
    dbus-run-session -- /usr/bin/python3 accessibility.py <program> <sample folder> <scratch dir>
"""

import os
import shutil
import subprocess
import sys
import time

import pyatspi

TITLE = "Tarvik konfigurieren"
NODE = "0 Testknoten"  # sorts first, so every reload shows it in the panel
ENTRY = "Notizblock für alle"
EDITED = "Notizblock für Gäste"
DISCARDED = "Notizblock, nie gespeichert"
PROGRAM = r"C:\Windows\notepad.exe"
PARAMS = "-x /y"


class Failure(Exception):
    pass


def scrambled(text):
    count = len(text) % 256
    return "".join(chr(ord(c) ^ 0x1B) for c in text[:count]) + text[count:]


def read_menu(path):
    """Sections of a menu file as {name: [(key, value), ...]}, in file order."""
    sections = {}
    current = None
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    for line in text.splitlines():
        if line.startswith("[") and line.rstrip().endswith("]"):
            current = sections.setdefault(line.strip()[1:-1], [])
        elif current is not None and "=" in line and not line.startswith(";"):
            key, value = line.split("=", 1)
            current.append((key, value))
    return sections


def wait_for(what, probe, timeout=15.0):
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except Exception:  # the accessible tree changes under us while the program reloads
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.1)


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def find_all(root, role, name=None):
    found = []
    stack = [root]
    while stack:
        acc = stack.pop()
        if acc.getRoleName() == role and (name is None or acc.name == name):
            found.append(acc)
        stack.extend(reversed(list(children(acc))))
    return found


def find(root, role, name=None):
    matches = find_all(root, role, name)
    return matches[0] if matches else None


def text_of(acc):
    text = acc.queryText()
    return text.getText(0, text.characterCount)


def set_text(acc, value):
    acc.queryEditableText().setTextContents(value)
    if text_of(acc) != value:
        raise Failure(f"field '{acc.name}' holds '{text_of(acc)}' after setting '{value}'")


def is_checked(acc):
    return acc.getState().contains(pyatspi.STATE_CHECKED)


def press(acc):
    action = acc.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    for wanted in ("press", "toggle", "click"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    raise Failure(f"'{acc.name}' offers no press action: {names}")


class Screen:
    def __init__(self, program, work):
        self.program = program
        self.work = work
        self.xvfb = None
        self.app = None
        self.display = None

    def start(self, menu):
        display_file = os.path.join(self.work, "display")
        with open(display_file, "w") as out:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp", "-noreset"], pass_fds=(out.fileno(),), stderr=subprocess.DEVNULL)
        number = wait_for("Xvfb", lambda: open(display_file).read().strip())
        self.display = f":{number}"
        os.environ["DISPLAY"] = self.display
        # The accessibility bus comes up before the program, so it registers at once.
        pyatspi.Registry.getDesktop(0)
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"), XDG_RUNTIME_DIR=runtime)
        self.log = open(os.path.join(self.work, "program.log"), "w")
        self.app = subprocess.Popen([self.program, menu], env=env, stdout=self.log,
                                    stderr=subprocess.STDOUT)

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            if app.name == os.path.basename(self.program):
                return app
        return None

    def window(self, caption):
        """A top-level window of the program: main window, dialog or message box."""
        app = self.application()
        if app is None:
            return None
        return next((w for w in children(app) if w.name == caption), None)

    def frame(self, caption):
        app = self.application()
        return find(app, "frame", caption) if app else None

    def dialog(self, caption):
        app = self.application()
        return find(app, "dialog", caption) if app else None

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], check=True, capture_output=True,
                              text=True).stdout

    def x_window(self, caption):
        pattern = "".join("\\" + c if c in ".[]()*+?{}|^$\\" else c for c in caption)
        return self.xdotool("search", "--onlyvisible", "--name", f"^{pattern}$").split()[0]

    def keys(self, caption, *keys):
        """Types keys into the top-level window of that caption, after giving it the focus."""
        self.xdotool("windowfocus", "--sync", self.x_window(caption))
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)

    def click(self, acc):
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2), "click", "1")

    def screenshot(self, name, caption=None):
        """The whole screen, or the one window of that caption."""
        path = os.path.join(self.work, name + ".png")
        window = self.x_window(caption) if caption else "root"
        subprocess.run(["import", "-window", window, path], check=False)
        return path

    def screenshot_over(self, name, caption):
        """The screen where the window of that caption lies, with what is shown over it."""
        values = dict(line.split("=", 1) for line in self.xdotool(
            "getwindowgeometry", "--shell", self.x_window(caption)).split())
        path = os.path.join(self.work, name + ".png")
        crop = f"{values['WIDTH']}x{values['HEIGHT']}+{values['X']}+{values['Y']}"
        subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", path], check=False)
        return path

    def stop(self):
        for proc in (self.app, self.xvfb):
            if proc and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()


def open_and_leave(screen, start, name, leave_key):
    """Opens a dialog, pictures it and leaves it again with the given key."""
    start()
    wait_for(f"the window '{name}'", lambda: screen.window(name))
    time.sleep(0.3)  # first paint
    screen.screenshot(name.lower().replace(" ", "-"), name)
    screen.keys(name, leave_key)
    wait_for(f"the window '{name}' to close", lambda: screen.window(name) is None)


def tour_dialogs(screen, caption, panel, tree):
    """Every dialog opens from the main window and can be left without touching the file."""
    open_and_leave(screen, lambda: screen.keys(caption, "alt+h", "v"),
                   "Information", "Return")
    open_and_leave(screen, lambda: screen.keys(caption, "alt+b", "t"),
                   "Allgemeine Einstellungen", "Escape")
    screen.click(wait_for("a remote-desktop entry", lambda: find(tree, "table cell",
                                                                   "Buchhaltung (TS01)")))
    wait_for("the entry in the panel", lambda: panel.name.endswith("|0]"))
    # Clicked, not pressed through AT-SPI: that call would wait for the modal dialog to end.
    tsc = find(panel, "push button", "Terminalserver-Client einrichten")
    open_and_leave(screen, lambda: screen.click(tsc),
                   "Terminalserver-Client einrichten", "Escape")


def selected_cells(tree):
    return [cell.name for cell in find_all(tree, "table cell")
            if cell.getState().contains(pyatspi.STATE_SELECTED)]


def undo_export(screen, caption, main, panel, tree, menu):
    """An export undone: the window shows the menu file with the node again, and no note of
    the sub-list the undo removed."""
    sublist = os.path.join(os.path.dirname(menu), "tarvik.Büro")
    screen.click(wait_for("the node", lambda: find(tree, "table cell", "Büro")))
    wait_for("the node in the panel", lambda: panel.name == "Bearbeiten [A|-]")
    screen.keys(caption, "alt+b", "x")
    wait_for("the question", lambda: screen.window("Bestätigung"))
    screen.keys("Bestätigung", "Return")
    wait_for("the sub-list", lambda: os.path.exists(sublist))
    wait_for("the node gone", lambda: find(tree, "table cell", "Büro") is None)
    screen.keys(caption, "ctrl+z")
    wait_for("the sub-list removed", lambda: not os.path.exists(sublist))
    wait_for("the node in the panel again", lambda: panel.name == "Bearbeiten [A|-]")
    if screen.frame(caption) is None:
        raise Failure("the window no longer shows the menu file")
    if selected_cells(tree) != ["Büro"]:
        raise Failure(f"the tree shows {selected_cells(tree)} after the undo, not the node")
    if find(main, "label", "Die Datei gibt es noch nicht; sie wird mit dem ersten Knoten "
                           "angelegt.") is not None:
        raise Failure("the status bar speaks of a file that is not shown")


def cancel_keeps_item(screen, caption, panel, tree, fields):
    """Leaving an edited entry by click and by key, "Abbrechen" keeps the tree on it."""
    params = fields["Parameter"]
    screen.click(wait_for("the entry", lambda: find(tree, "table cell", "E-Mail")))
    wait_for("the entry in the panel", lambda: panel.name == "Bearbeiten [A|2]")
    stored = text_of(params)
    set_text(params, stored + " -neu")
    wait_for("the edit mark", lambda: panel.name.endswith(" *"))
    for leave in (lambda: screen.click(find(tree, "table cell", "Adressbuch")),
                  lambda: screen.keys(caption, "Up")):
        leave()
        wait_for("the question", lambda: screen.window(TITLE))
        screen.keys(TITLE, "Escape")
        wait_for("the question to close", lambda: screen.window(TITLE) is None)
        time.sleep(0.3)  # what the tree would do after the question
        if selected_cells(tree) != ["E-Mail"] or panel.name != "Bearbeiten [A|2] *":
            raise Failure(f"after Abbrechen the tree shows {selected_cells(tree)}, "
                          f"the panel '{panel.name}'")
    set_text(params, stored)
    wait_for("the edit taken back", lambda: not panel.name.endswith(" *"))


def run(screen, menu, original):
    caption = f"{TITLE} ({menu})"
    main = wait_for("the main window", lambda: screen.frame(caption), timeout=30)
    panel = wait_for("the editor panel", lambda: find(main, "panel"))
    tree = find(main, "tree", "Menübaum")
    if tree is None:
        raise Failure("no tree named 'Menübaum'")
    fields = {name: find(panel, "text", name)
              for name in ("Name", "Programm", "Parameter", "Abschnitt", "Kennung")}
    missing = [name for name, acc in fields.items() if acc is None]
    if missing:
        raise Failure(f"panel fields without accessible name: {missing}")
    time.sleep(0.3)  # first paint
    screen.screenshot("main-window", caption)

    with open(menu, "rb") as f:
        before = f.read()
    tour_dialogs(screen, caption, panel, tree)
    with open(menu, "rb") as f:
        if f.read() != before:
            raise Failure("opening and leaving the dialogs changed the menu file")
    undo_export(screen, caption, main, panel, tree, menu)
    cancel_keeps_item(screen, caption, panel, tree, fields)
    with open(menu, "rb") as f:
        if f.read() != before:
            raise Failure("the export taken back or the edit left changed the menu file")

    def panel_shows(section, ident):
        return panel.name == f"Bearbeiten [{section}|{ident}]"

    def tree_has(name):
        return find(tree, "table cell", name)

    # A new node through the keyboard: menu "Bearbeiten", item "Knoten anlegen".
    screen.keys(caption, "alt+b", "k")
    box = wait_for("the input box", lambda: screen.dialog("Neue Überschrift eingeben"))
    if find(box, "label", "Beschriftung:") is None:
        raise Failure("the input box has no prompt 'Beschriftung:'")
    set_text(wait_for("the input field", lambda: find(box, "text")), NODE)
    screen.screenshot("neue-überschrift-eingeben", "Neue Überschrift eingeben")
    press(wait_for("button OK", lambda: find(box, "push button", "OK")))
    wait_for("the new node in the tree", lambda: tree_has(NODE))
    new_letter = chr(ord("A") + sum(1 for s in original if len(s) == 1))
    wait_for("the new node in the panel", lambda: panel_shows(new_letter, "-"))

    # An entry in it: "Eintrag anlegen" readies the panel, the save writes it.
    screen.keys(caption, "alt+b", "e")
    wait_for("a prepared entry", lambda: text_of(fields["Kennung"]) == "0")
    if text_of(fields["Name"]):
        raise Failure("the prepared entry keeps the node's caption")
    set_text(fields["Name"], ENTRY)
    set_text(fields["Programm"], PROGRAM)
    set_text(fields["Parameter"], PARAMS)
    screen.keys(caption, "alt+b", "s")
    wait_for("the new entry in the tree", lambda: tree_has(ENTRY))

    # Edit it: the panel follows mouse clicks only, so the entry is clicked.
    screen.click(tree_has(ENTRY))
    wait_for("the entry in the panel", lambda: panel_shows(new_letter, "0"))
    if text_of(fields["Programm"]) != PROGRAM or text_of(fields["Parameter"]) != PARAMS:
        raise Failure("the panel does not show the saved entry")
    set_text(fields["Name"], EDITED)
    encrypt = find(panel, "check box", "Parameter verschlüsseln")
    press(encrypt)
    wait_for("the ticked check box", lambda: is_checked(encrypt))
    toolbar = find(main, "tool bar")
    press(find(toolbar, "push button", "Speichern"))
    wait_for("the edited entry in the tree", lambda: tree_has(EDITED))
    if tree_has(ENTRY):
        raise Failure("the entry's old caption is still in the tree")
    screen.screenshot("main-window-edited", caption)

    # The move button is checkable: assistive technology offers only its toggle, which must
    # start the move as a click does.
    # (Qt shows a checkable tool button as a check box.)
    move = find(toolbar, "check box", "Verschieben")
    if move is None:
        raise Failure("no checkable tool button 'Verschieben'")
    action = move.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if "toggle" not in names:
        raise Failure(f"'Verschieben' offers {names}, not its toggle")
    action.doAction(names.index("toggle"))
    wait_for("the button down", lambda: is_checked(move))
    # The status bar's note reads out as it changes.
    wait_for("the note in the status bar", lambda: find(
        main, "label", "Wählen Sie nun den neuen Zweig und klicken Sie erneut auf Verschieben."))
    # Esc ends only a move that the command started: then the button comes up.
    screen.keys(caption, "Escape")
    wait_for("the move ended", lambda: not is_checked(move))

    # Edits not saved: F5 asks first, and Abbrechen (Esc) keeps them; closing asks again, and
    # "Verwerfen" ends the program without writing them (check_file finds the saved caption).
    set_text(fields["Name"], DISCARDED)
    wait_for("the edit mark", lambda: panel.name.endswith(" *"))
    screen.keys(caption, "F5")
    question = wait_for("the question", lambda: screen.window(TITLE))
    wait_for("its text", lambda: find(question, "label",
                                      f"Änderungen an »{EDITED}« speichern?"))
    time.sleep(0.3)  # first paint
    screen.screenshot_over("aenderungen-speichern", caption)
    screen.keys(TITLE, "Escape")
    wait_for("the question to close", lambda: screen.window(TITLE) is None)
    if text_of(fields["Name"]) != DISCARDED:
        raise Failure("Abbrechen did not keep the edit")
    screen.keys(caption, "alt+F4")
    question = wait_for("the question on closing", lambda: screen.window(TITLE))
    # Clicked: pressed through AT-SPI, the call would wait for a program that has ended.
    screen.click(wait_for("button Verwerfen",
                          lambda: find(question, "push button", "Verwerfen")))
    try:
        status = screen.app.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("Alt+F4 did not end the program")
    if status != 0:
        raise Failure(f"the program ended with status {status}")


def check_file(menu, original):
    result = read_menu(menu)
    new_sections = [name for name in result if name not in original]
    for name, keys in original.items():
        if result.get(name) != keys:
            raise Failure(f"section [{name}] changed: {result.get(name)}")
    expected_letter = chr(ord("A") + sum(1 for s in original if len(s) == 1))
    if new_sections != [expected_letter]:
        raise Failure(f"new sections {new_sections}, expected [{expected_letter}]")
    expected = {"Root": NODE, "0b": EDITED, "0d": PROGRAM, "0v": "1",
                "0p": scrambled(PARAMS), "0dc": "0"}
    written = dict(result[expected_letter])
    if written != expected or len(result[expected_letter]) != len(expected):
        raise Failure(f"section [{expected_letter}] holds {result[expected_letter]}, "
                      f"expected {expected}")
    with open(menu, "rb") as f:
        if EDITED.encode("cp1252") not in f.read():
            raise Failure("the caption is not stored in Windows-1252")


def copy_samples(samples, work):
    """A fresh scratch folder work holding a copy of the sample menu file and its sub-list;
    their paths."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "menu"))
    for name in ("tarvik.ini", "tarvik.Kasse"):
        shutil.copy(os.path.join(samples, name), os.path.join(work, "menu", name))
    return os.path.join(work, "menu", "tarvik.ini"), os.path.join(work, "menu", "tarvik.Kasse")


def checked_run(screen, menu, name, steps):
    """Starts the editor on menu and runs steps(). Every failure, AT-SPI errors too, fails with
    its evidence: a screenshot and the program's output. Returns the exit code."""
    try:
        screen.start(menu)
        steps()
    except Exception as error:
        shot = screen.screenshot("failure") if screen.display else None
        print(f"FAIL: {error}", file=sys.stderr)
        if shot:
            print(f"screenshot: {shot}", file=sys.stderr)
        with open(os.path.join(screen.work, "program.log")) as log:
            output = log.read()
        if output:
            print("program output:\n" + output, file=sys.stderr)
        return 1
    finally:
        screen.stop()
    print(f"{name}: all checks passed")
    return 0


def main():
    program, samples, work = sys.argv[1:4]
    menu, _ = copy_samples(samples, work)
    original = read_menu(menu)

    screen = Screen(program, work)

    def steps():
        run(screen, menu, original)
        check_file(menu, original)

    return checked_run(screen, menu, "accessibility", steps)


if __name__ == "__main__":
    sys.exit(main())
