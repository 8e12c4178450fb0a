#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Two running editors under Xvfb, driven with mouse and keyboard on a copy of the sample menu:
the one shows the menu file, the other its sub-list. An entry copied in the one is pasted in
the other; two entries selected with Ctrl are dragged with the mouse onto a node, and one entry
into the other editor; the sub-list's programs move to another drive through Ctrl+H. Each step is checked on
the files, and its undo on their bytes.

Run inside a D-Bus bus of its own:
    dbus-run-session -- /usr/bin/python3 batch.py <program> <sample folder> <scratch dir>
"""

import os
import subprocess
import sys
import time

import pyatspi

from accessibility import (TITLE, Failure, Screen, checked_run, children, copy_samples, find,
                           read_menu, wait_for)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def node_entries(path, caption):
    """The captions of the node's entries, by index."""
    for keys in read_menu(path).values():
        values = dict(keys)
        if values.get("Root") == caption:
            return [values[f"{n}b"] for n in range(len(keys)) if f"{n}b" in values]
    raise Failure(f"no node '{caption}' in {path}")


class Editors(Screen):
    """The screen with one editor per menu file."""

    def launch(self, menu):
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                   XDG_RUNTIME_DIR=os.path.join(self.work, "runtime"))
        self.second = subprocess.Popen([self.program, menu], env=env, stdout=self.log,
                                       stderr=subprocess.STDOUT)

    def frame(self, caption):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            if app.name == os.path.basename(self.program):
                found = find(app, "frame", caption)
                if found is not None:
                    return found
        return None

    def tree(self, caption):
        return find(wait_for(caption, lambda: self.frame(caption), timeout=30), "tree",
                    "Menübaum")

    def cell(self, caption, name):
        return wait_for(f"'{name}' in the tree",
                        lambda: find(self.tree(caption), "table cell", name))

    def ctrl_click(self, acc):
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.xdotool("mousemove", "--sync", str(x + w // 2), str(y + h // 2))
        self.xdotool("keydown", "ctrl", "click", "1", "keyup", "ctrl")

    def drag(self, source, target, picture=None):
        sx, sy, sw, sh = source.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        tx, ty, tw, th = target.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        sx, sy, tx, ty = sx + sw // 2, sy + sh // 2, tx + tw // 2, ty + th // 2
        self.xdotool("mousemove", "--sync", str(sx), str(sy))
        self.xdotool("mousedown", "1")
        for step in range(1, 21):
            self.xdotool("mousemove", str(sx + (tx - sx) * step // 20),
                         str(sy + (ty - sy) * step // 20))
            time.sleep(0.03)
        time.sleep(0.3)  # the target framed
        if picture:
            self.screenshot_over(*picture)
        self.xdotool("mouseup", "1")

    def stop(self):
        if getattr(self, "second", None) and self.second.poll() is None:
            self.second.terminate()
            self.second.wait(timeout=5)
        super().stop()


def run(screen, menu, kasse):
    one, other = f"{TITLE} ({menu})", f"{TITLE} ({kasse})"
    screen.tree(one)
    screen.launch(kasse)
    screen.tree(other)
    # Side by side, one above the other, as nothing places them without a window manager.
    screen.xdotool("windowmove", screen.x_window(one), "0", "0")
    screen.xdotool("windowmove", screen.x_window(other), "300", "540")
    time.sleep(0.5)
    menu_bytes, kasse_bytes = read(menu), read(kasse)

    # Copied in the one editor, pasted onto a node in the other.
    screen.click(screen.cell(one, "E-Mail"))
    screen.keys(one, "ctrl+c")
    screen.click(screen.cell(other, "Kasse"))
    screen.keys(other, "ctrl+v")
    wait_for("the pasted entry", lambda: "E-Mail" in node_entries(kasse, "Kasse"))
    if read(menu) != menu_bytes:
        raise Failure("the copy changed the menu file")
    pasted = read(kasse)

    # Two entries dragged onto a node with the mouse, and taken back.
    screen.click(screen.cell(one, "Adressbuch"))
    screen.ctrl_click(screen.cell(one, "E-Mail"))
    wait_for("two selected", lambda: find(screen.frame(one), "panel",
                                          "Bearbeiten (2 ausgewählt)"))
    screen.drag(screen.cell(one, "Adressbuch"), screen.cell(one, "Terminalserver"),
                ("ziehen", one))
    wait_for("the entries on their new node",
             lambda: {"Adressbuch", "E-Mail"} <= set(node_entries(menu, "Terminalserver")))
    if {"Adressbuch", "E-Mail"} & set(node_entries(menu, "Büro")):
        raise Failure("a dragged entry is still on its old node")
    screen.keys(one, "ctrl+z")
    wait_for("the drag undone", lambda: read(menu) == menu_bytes)

    # Dragged into the other editor: a move out of the one file into the other.
    screen.drag(screen.cell(one, "Rechner"), screen.cell(other, "Kasse"))
    wait_for("the entry in the sub-list", lambda: "Rechner" in node_entries(kasse, "Kasse"))
    if "Rechner" in node_entries(menu, "Werkzeuge"):
        raise Failure("the entry dragged into the other editor is still in the menu file")
    screen.keys(other, "ctrl+z")
    wait_for("the move undone in both files",
             lambda: read(menu) == menu_bytes and read(kasse) == pasted)

    # Find and replace across the menu file and its sub-list.
    screen.click(screen.cell(one, "Büro"))
    screen.keys(one, "ctrl+h")
    dialog = wait_for("the replace dialog", lambda: screen.window("Ersetzen"))
    screen.xdotool("type", "--delay", "20", "C:\\")
    screen.keys("Ersetzen", "Tab")
    screen.xdotool("type", "--delay", "20", "D:\\")
    screen.keys("Ersetzen", "Return")
    changes = wait_for("the list of changes", lambda: find(dialog, "tree table", "Änderungen")
                       or find(dialog, "tree", "Änderungen"))
    wait_for("rows in the list", lambda: find(changes, "table cell", "tarvik.Kasse"))
    time.sleep(0.3)  # first paint
    screen.screenshot("ersetzen", "Ersetzen")
    screen.keys("Ersetzen", "alt+e")
    wait_for("the dialog to close", lambda: screen.window("Ersetzen") is None)
    for path in (menu, kasse):
        programs = [v for keys in read_menu(path).values() for k, v in keys if k.endswith("d")]
        if any(p.startswith("C:\\") for p in programs):
            raise Failure(f"{path} still holds programs on C: {programs}")
    screen.keys(one, "ctrl+z")
    wait_for("the replace undone in both files",
             lambda: read(menu) == menu_bytes and read(kasse) == pasted)


def main():
    program, samples, work = sys.argv[1:4]
    menu, kasse = copy_samples(samples, work)

    screen = Editors(program, work)
    return checked_run(screen, menu, "batch", lambda: run(screen, menu, kasse))


if __name__ == "__main__":
    sys.exit(main())
