# SPDX-License-Identifier: MIT
"""Prints the performance report of bench/compare from the benchmark program's JSON output and
a timing of Python's configparser on the same menu file; given the program, also the menu check
and a configparser read as whole processes, start-up included; given the JSON output of the
Windows build's benchmarks under Wine, their ratios to the native ones."""

import configparser
import glob
import json
import os
import statistics
import subprocess
import sys
import time

OURS = [
    ("BM_LoadMenuFile/400", "LoadMenuFile (read all, build the tree)"),
    ("BM_SaveEntry", "save an entry, with reload"),
    ("BM_DeleteEntry", "delete an entry, with reload"),
    ("BM_MoveEntry", "move an entry, with reloads"),
]
# On the menu and five sub-lists of its size; each write with the read of the menu after it.
SEVERAL = [
    ("BM_ReplacePlan", "replace: list 2,000 changes in 6 files", 100),
    ("BM_ReplaceWrite", "replace: write those 2,000 changes", 300),
    ("BM_ReplaceUndo", "replace: undo those 2,000 changes", 300),
    ("BM_PasteEntries", "paste 400 entries onto a node", 150),
    ("BM_MoveEntryOntoNode", "move one entry onto a node", 250),
]
FLOOR = "BM_ReadMenuBytes"
WINDOWS = [
    ("BM_StorePlainParse", "store: read and parse the file"),
    ("BM_StoreReadAllKeys", "store: every read of a load"),
    ("BM_StoreWriteOne", "store: write one key"),
    ("BM_DeleteEntry", "delete an entry, with reload"),
    ("BM_DeleteNode", "delete a node, with reload"),
    ("BM_MoveEntry", "move an entry, with reloads"),
    ("BM_UndoDeleteNode", "undo a node delete, with reload"),
]
WINDOWS_TARGET = 2.0
UNITS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def medians(path):
    """Median real time in milliseconds of each benchmark, by name."""
    with open(path, encoding="utf-8") as handle:
        report = json.load(handle)
    result = {}
    for run in report["benchmarks"]:
        name = run.get("run_name", run["name"]).removesuffix("/real_time")
        if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
            continue
        result[name] = run["real_time"] * UNITS[run["time_unit"]]
    return result


def configparser_ms(menu, rounds=15):
    """Median time of one configparser read of the whole file, as an administrator's script
    would read it: Windows-1252, duplicate keys tolerated, no interpolation."""
    times = []
    for _ in range(rounds):
        parser = configparser.ConfigParser(strict=False, interpolation=None)
        start = time.perf_counter()
        parser.read(menu, encoding="cp1252")
        times.append((time.perf_counter() - start) * 1000)
        if not parser.has_section("A"):
            sys.exit("configparser did not read the menu")
    return statistics.median(times)


CONFIGPARSER_PROCESS = ("import configparser, sys\n"
                        "parser = configparser.ConfigParser(strict=False, interpolation=None)\n"
                        "parser.read(sys.argv[1], encoding='cp1252')\n"
                        "sys.exit(0 if parser.has_section('A') else 3)\n")
# The same, and the file written back once, as a script that changes a menu with it would.
CONFIGPARSER_REWRITE = (CONFIGPARSER_PROCESS.replace("sys.exit", "ok = ")
                        + "with open(sys.argv[1], 'w', encoding='cp1252') as out:\n"
                        "    parser.write(out)\n")


def process_ms(commands, rounds=21):
    """Median wall time of each whole process, start-up included, run without a display as a
    script on a server would run it. The commands take turns, so a busy machine slows all alike.
    commands: (argument list, accepted exit codes[, set-up run untimed before each]) each."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    times = [[] for _ in commands]
    for _ in range(rounds):
        for (command, accept, *setup), record in zip(commands, times):
            for step in setup:
                step()
            start = time.perf_counter()
            done = subprocess.run(command, env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, check=False)
            record.append((time.perf_counter() - start) * 1000)
            if done.returncode not in accept:
                sys.exit(f"{command[0]} failed ({done.returncode}): {done.stderr.decode()}")
    return [statistics.median(record) for record in times]


def scratch_files(menu, menugen):
    """A folder beside the menu with copies to change: the menu, five sub-lists of its size
    and a list of 1,000 changes; and a function that puts every copy back."""
    folder = os.path.join(os.path.dirname(menu), "scratch")
    os.makedirs(folder, exist_ok=True)
    originals = {}
    for name in ["tarvik.ini"] + [f"tarvik.Liste{i}" for i in range(1, 6)]:
        path = subprocess.run([menugen, folder, "26", "400", name], check=True,
                              capture_output=True, text=True).stdout.strip()
        with open(path, "rb") as handle:
            originals[path] = handle.read()
    # Parameters of 1,000 entries spread over every node, named by letter and index.
    changes = [{"op": "set", "item": f"{chr(65 + i % 26)}/{i * 7 % 400}",
                "params": f"-neu {i}"} for i in range(1000)]
    changes_path = os.path.join(folder, "changes.json")
    with open(changes_path, "w", encoding="utf-8") as handle:
        json.dump(changes, handle)

    def restore():
        for path, data in originals.items():
            with open(path, "wb") as handle:
                handle.write(data)

    return os.path.join(folder, "tarvik.ini"), sorted(originals), changes_path, restore


def processes(menu, program, menugen):
    scratch, lists, changes, restore = scratch_files(menu, menugen)
    python, check, rewrite, apply, replace = process_ms([
        (["/usr/bin/python3", "-c", CONFIGPARSER_PROCESS, menu], (0,)),
        ([program, "--check", menu], (0, 1)),
        (["/usr/bin/python3", "-c", CONFIGPARSER_REWRITE, scratch], (0,), restore),
        ([program, "--apply", changes, scratch], (0,), restore),
        ([program, "--replace", "firma.local", "firma.example"] + lists, (0,), restore)])
    restore()
    print("\nWhole processes, start-up included (medians; times in ms)\n")
    print(f"{'':44} {'time':>10} {'x python3 configparser':>23}")
    print(f"{'python3, one configparser read':44} {python:10.2f} {1:23.3g}")
    print(f"{'tarvik-konfig --check':44} {check:10.2f} {check / python:23.3g}")
    print(f"{'python3, configparser read and write':44} {rewrite:10.2f} {1:23.3g}")
    print(f"{'tarvik-konfig --apply, 1,000 changes':44} {apply:10.2f} {apply / rewrite:23.3g}")
    print(f"{'tarvik-konfig --replace, menu + 5 sub-lists':44} {replace:10.2f}")


def main():
    times = medians(sys.argv[1])
    menu = sys.argv[2]
    floor = times.get(FLOOR)
    python = configparser_ms(menu)
    rows = [("plain read of the file's bytes", floor),
            ("Python configparser, one read", python)]
    rows += [(label, times.get(name)) for name, label in OURS]

    print(f"Menu: 26 nodes x 400 entries, {os.path.getsize(menu):,} bytes "
          f"(medians; times in ms)\n")
    print(f"{'':40} {'time':>10} {'x plain read':>13} {'x configparser':>15}")
    for label, value in rows:
        if value is None:
            print(f"{label:40} {'missing':>10}")
            continue
        print(f"{label:40} {value:10.2f} {value / floor:13,.0f} {value / python:15.3g}")
    print("\nMenu and five sub-lists of that size (medians; times in ms)\n")
    print(f"{'':44} {'time':>10} {'target':>8}")
    for name, label, target in SEVERAL:
        value = times.get(name)
        shown = "missing" if value is None else f"{value:.2f}"
        print(f"{label:44} {shown:>10} {'< ' + str(target):>8}")
    if len(sys.argv) > 4:
        processes(menu, sys.argv[3], sys.argv[4])
    if len(sys.argv) > 6:
        windows(rounds(sys.argv[5]), rounds(sys.argv[6]))


def rounds(pattern):
    """The median over the files of a pattern (one a round) of each benchmark's time."""
    runs = [medians(path) for path in sorted(glob.glob(pattern))]
    names = set().union(*runs) if runs else set()
    return {name: statistics.median(run[name] for run in runs if name in run) for name in names}


def windows(native, wine):
    """The Windows build under Wine beside the native one. Wine is not Windows: the ratio says
    how the Windows code paths cost against the native ones, not what Windows would take."""
    print(f"\nWindows build under Wine against the native build (medians; times in ms; "
          f"target {WINDOWS_TARGET:g} times at most)\n")
    print(f"{'':40} {'native':>10} {'Wine':>10} {'x native':>9}")
    worst = 0.0
    for name, label in WINDOWS:
        ours, theirs = native.get(name), wine.get(name)
        if ours is None or theirs is None:
            print(f"{label:40} {'missing':>10}")
            continue
        worst = max(worst, theirs / ours)
        print(f"{label:40} {ours:10.2f} {theirs:10.2f} {theirs / ours:9.2f}")
    print(f"\nlargest ratio {worst:.2f}: "
          f"{'within' if worst <= WINDOWS_TARGET else 'OVER'} the target")


if __name__ == "__main__":
    main()
