#!/usr/bin/env python3
"""Measures the time from starting SETUP.EXE under Wine to its dialog being
visible on X, beside the plain Win32 dialog program of the size measurement
(same template, same caption), in one Wine prefix on a private Xvfb. Runs
alternate between the two; one unmeasured run of each comes first.

    tools/measure_startup.py [--runs 7]

Prints each program's times, both medians and their ratio. Builds the mingw
preset first; needs what tools/machine/setup.sh installs."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests"))  # the Wine harness
sys.dont_write_bytecode = True

from wine import xinput  # noqa: E402
from wine.build_folders import E2E_CACHE, E2E_WORK, MINGW  # noqa: E402
from wine.display import VirtualDisplay  # noqa: E402
from wine.prefix import PristinePrefix, ThrowawayPrefix  # noqa: E402
from wine.session import DIALOG  # noqa: E402
from wine.tools import Tools  # noqa: E402
from wine.waiting import wait_until  # noqa: E402

PROGRAMS = {
    "SETUP.EXE": os.path.join(MINGW, "SETUP.EXE"),
    "baseline dialog program": os.path.join(MINGW, "tests", "binary", "size_baseline.exe"),
}
# Polling the X server for the window: the resolution of each time.
POLL_SECONDS = 0.005
TIMEOUT_SECONDS = 30


def build():
    print("measure: building the mingw preset", flush=True)
    for command in (["cmake", "--preset", "mingw"], ["cmake", "--build", "--preset", "mingw"]):
        result = subprocess.run(command, cwd=ROOT, capture_output=True, text=True)
        if result.returncode != 0:
            sys.exit("measure: %s failed:\n%s%s" % (" ".join(command), result.stdout,
                                                     result.stderr))


def time_to_dialog(prefix, display, exe_name):
    """Seconds from starting the program to its dialog being mapped; the program is then ended."""
    started = time.monotonic()
    program = subprocess.Popen(["wine", "C:\\measure\\" + exe_name], env=prefix.env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        if not wait_until(lambda: xinput.x_window(display.name, DIALOG), TIMEOUT_SECONDS,
                          POLL_SECONDS):
            sys.exit("measure: %s showed no dialog within %d s" % (exe_name, TIMEOUT_SECONDS))
        return time.monotonic() - started
    finally:
        program.kill()
        program.wait()
        wait_until(lambda: not xinput.x_window(display.name, DIALOG), TIMEOUT_SECONDS)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    build()
    tools = Tools(MINGW)
    pristine = PristinePrefix(E2E_CACHE, tools)
    print("measure: preparing the Wine prefix (the first time: wineboot, a minute or two)",
          flush=True)
    pristine.ensure()
    os.makedirs(E2E_WORK, exist_ok=True)
    # Beside the cache, on its file system: the prefix hard-links the cache's files.
    work_dir = tempfile.mkdtemp(prefix="measure-", dir=E2E_WORK)
    display = VirtualDisplay()
    display.start()
    prefix = None
    try:
        prefix = ThrowawayPrefix(pristine, work_dir, tools, display.name, "C.UTF-8")
        target = prefix.unix_path("C:\\measure")
        os.makedirs(target)
        names = {}
        for label, path in PROGRAMS.items():
            names[label] = os.path.basename(path)
            shutil.copy(path, os.path.join(target, names[label]))
        times = {label: [] for label in PROGRAMS}
        for label in PROGRAMS:
            time_to_dialog(prefix, display, names[label])  # services start; files cached
        print("measure: %d runs of each" % args.runs, flush=True)
        for _ in range(args.runs):
            for label in PROGRAMS:
                times[label].append(time_to_dialog(prefix, display, names[label]))
    finally:
        if prefix:
            prefix.stop()
        display.stop()
        shutil.rmtree(work_dir, ignore_errors=True)

    medians = {}
    for label, seconds in times.items():
        medians[label] = statistics.median(seconds)
        print("%-24s median %4.0f ms   runs: %s" % (
            label, medians[label] * 1000, " ".join("%.0f" % (s * 1000) for s in seconds)))
    setup, baseline = medians.values()
    print("ratio SETUP.EXE / baseline: %.2f" % (setup / baseline))
    return 0


if __name__ == "__main__":
    sys.exit(main())
