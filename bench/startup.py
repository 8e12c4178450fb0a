# SPDX-License-Identifier: MIT
"""Times two programs from process start to the first frame of their window, taking turns, and
prints the medians and their ratio; see bench/startup."""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time


def start_xvfb():
    """An Xvfb of our own on a display number it picks itself; returns the process and display."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return xvfb, ":" + number


def first_frame_ms(program, env):
    """Milliseconds from just before the start to the first frame the program reports."""
    start = time.monotonic_ns()  # CLOCK_MONOTONIC, the clock the program reports on
    done = subprocess.run([program], env=env, capture_output=True, timeout=60, check=False)
    lines = done.stdout.split()
    if done.returncode != 0 or len(lines) != 1:
        sys.exit(f"{program} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
    return (int(lines[0]) - start) / 1e6


def measure(programs, runs, env):
    for _, program in programs:  # one warm-up each, so both find the same caches
        first_frame_ms(program, env)
    times = [[] for _ in programs]
    for _ in range(runs):
        for (_, program), record in zip(programs, times):
            record.append(first_frame_ms(program, env))
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("editor")
    parser.add_argument("bare")
    parser.add_argument("--runs", type=int, default=20)
    args = parser.parse_args()

    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["TARVIK_FIRST_FRAME"] = "1"
    programs = [("tarvik-konfig, sample menu", args.editor),
                ("bare Qt window with a tree", args.bare)]
    xvfb = None
    load = os.getloadavg()[0]
    with tempfile.TemporaryDirectory() as runtime:
        env.setdefault("XDG_RUNTIME_DIR", runtime)
        try:
            if not env.get("DISPLAY"):
                xvfb, env["DISPLAY"] = start_xvfb()
            times = measure(programs, args.runs, env)
        finally:
            if xvfb:
                xvfb.terminate()
                xvfb.wait()

    medians = [statistics.median(record) for record in times]
    print(f"Start to first frame, medians of {args.runs} alternating runs; {os.cpu_count()} cores, "
          f"{'Xvfb' if xvfb else 'display ' + env['DISPLAY']}, load average "
          f"{load:.2f} before, {os.getloadavg()[0]:.2f} after (times in ms)\n")
    print(f"{'':30} {'median':>8} {'min':>8} {'max':>8}")
    for (label, _), median, record in zip(programs, medians, times):
        print(f"{label:30} {median:8.1f} {min(record):8.1f} {max(record):8.1f}")
    print(f"\ntarvik-konfig / bare window: {medians[0] / medians[1]:.2f}")


if __name__ == "__main__":
    main()
