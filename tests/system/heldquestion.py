#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The real program under Xvfb asks whether to delete the entry "Notiz"; while the question is
open another program puts "Wichtig" at the same place in the file. However long the question
stays open, the tree behind it keeps showing what was asked about, "Ja" deletes nothing, a
message says that the file changed, and the tree then shows the file as it stands. Ten rounds,
each with a fresh program.

Each round runs in a D-Bus session of its own:
    /usr/bin/python3 heldquestion.py <program> <scratch dir> [rounds]
"""

import os
import shutil
import subprocess
import sys
import time

from accessibility import TITLE, Failure, Screen, checked_run, find, find_all, wait_for


def menu(first):
    lines = ["[A]", "Root=B\xfcro"]
    for n, caption in enumerate((first, "Mail")):
        lines += [f"{n}b={caption}", f"{n}d={caption.lower()}.exe", f"{n}p=", f"{n}v=0",
                  f"{n}dc=0"]
    return ("\r\n".join(lines + ["[B]", "Root=Rest", ""])).encode("cp1252")


def cells(tree):
    return sorted(cell.name for cell in find_all(tree, "table cell"))


def one_round(screen, path):
    caption = f"{TITLE} ({path})"
    main = wait_for("the main window", lambda: screen.frame(caption), timeout=30)
    panel = wait_for("the editor panel", lambda: find(main, "panel"))
    tree = wait_for("the tree", lambda: find(main, "tree", "Menübaum"))
    screen.click(wait_for("the entry Notiz", lambda: find(tree, "table cell", "Notiz")))
    wait_for("Notiz in the panel", lambda: panel.name == "Bearbeiten [A|0]")
    before = cells(tree)
    screen.keys(caption, "Delete")
    wait_for("the question", lambda: screen.window("Bestätigung"))

    changed = menu("Wichtig")
    with open(path, "r+b") as f:  # in place, as another editor writes
        f.write(changed)
        f.truncate()
    time.sleep(1.5)  # the file watch has surely fired
    if cells(tree) != before:
        raise Failure(f"the tree changed under the question: {cells(tree)}")

    screen.keys("Bestätigung", "Return")  # "Ja"
    message = wait_for("the message of a changed file", lambda: screen.window(TITLE))
    if not any("außerhalb des Editors" in label.name for label in find_all(message, "label")):
        raise Failure("the message does not say that the file changed")
    screen.keys(TITLE, "Return")
    wait_for("the message to close", lambda: screen.window(TITLE) is None)
    with open(path, "rb") as f:
        if f.read() != changed:
            raise Failure("the editor wrote the file")
    wait_for("the tree as the file stands",
             lambda: cells(tree) == sorted(["Büro", "Mail", "Rest", "Wichtig"]))


def main():
    if sys.argv[1] == "--round":
        # One round, in the D-Bus session its caller made for it.
        program, folder = sys.argv[2:4]
        path = os.path.join(folder, "menu", "tarvik.ini")
        screen = Screen(program, folder)
        return checked_run(screen, path, os.path.basename(folder), lambda: one_round(screen, path))
    program, work = sys.argv[1:3]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    for n in range(1, rounds + 1):
        folder = os.path.join(work, f"round{n}")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(os.path.join(folder, "menu"))
        with open(os.path.join(folder, "menu", "tarvik.ini"), "wb") as f:
            f.write(menu("Notiz"))
        # Each round with a bus of its own, as a user's session has: nothing of the round
        # before stays registered.
        done = subprocess.run(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                               "--round", program, folder])
        if done.returncode != 0:
            return 1
    print(f"held question: {rounds} of {rounds} rounds passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
