#!/usr/bin/env python3
"""The demo machine: a fresh Wine prefix seeded as a Windows 95 machine with the
Tarvix-II driver installed, SETUP.EXE started on it, and what it changed.

    tools/demo/demo.py [--build-dir build/mingw]

SETUP.EXE starts from drive A:, which holds the files of the floppy image, as
a technician starts it. With $DISPLAY set the program shows there and the
user answers (F1 opens its help); otherwise it runs on a private Xvfb, a
screenshot is saved and "Yes" is pressed."""

import argparse
import os
import shutil
import subprocess
import sys
import textwrap

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests"))  # the Wine harness
sys.dont_write_bytecode = True

from wine import emulation, machine_state, probe  # noqa: E402
from wine.build_folders import DEMO, E2E_CACHE, MINGW  # noqa: E402
from wine.display import VirtualDisplay  # noqa: E402
from wine.prefix import PristinePrefix, WineDoesNotStart  # noqa: E402
from wine.session import DIALOG, Session  # noqa: E402
from wine.tools import Tools  # noqa: E402

import change_table  # noqa: E402

# Under build/, beside the e2e cache: the prefix hard-links the cache's files.
MACHINE_DIR = os.path.join(DEMO, "machine")
# Our own programs in the prefix, not part of the machine being shown.
TOOL_FOLDERS = {"e2e"}
# How long the user may take to answer.
USER_TIMEOUT = 24 * 3600


class DemoFailed(Exception):
    pass


class UserDisplay:
    """The user's X display, as the session wants one."""

    def __init__(self, name):
        self.name = name

    def check(self):
        answers = subprocess.run(["xdpyinfo", "-display", self.name], stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL).returncode == 0
        if not answers:
            raise DemoFailed("DISPLAY=%s does not answer: check it (and XAUTHORITY under sudo), "
                             "or unset DISPLAY to run on a private Xvfb" % self.name)


class DemoRig:
    """What a Session needs: the tools, the pristine prefix, a place for pictures."""

    def __init__(self, tools):
        self.tools = tools
        self.pristine = PristinePrefix(E2E_CACHE, tools)
        self.artifacts = DEMO


def step(text):
    print("demo: " + text, flush=True)


def drive_c(session):
    return session.prefix.unix_path("C:\\")


def run_on_private_display(session):
    if not session.wait_window(DIALOG):
        raise DemoFailed("the confirmation dialog did not appear (trace: %s)" % session.trace_path)
    window, _, _, _ = session.window(DIALOG)
    picture = session.screenshot(probe.rect(window["rect"]), "confirmation.png")
    step("screenshot of the dialog: %s" % os.path.relpath(picture, ROOT))
    step('pressing "Yes"')
    session.press("alt+y")
    if not session.wait_end():
        raise DemoFailed("SETUP.EXE (or the restart it asked for) did not end within 30 s")


def run_on_user_display(session):
    step('SETUP.EXE is on display %s: answer its dialog ("Yes" uninstalls, "No" leaves '
         'everything as it is)' % session.display.name)
    if not session.wait_end(USER_TIMEOUT):
        raise DemoFailed("SETUP.EXE did not end")


def report(session, registry_before, files_before):
    registry_after = session.read_back()
    files_after = change_table.file_snapshot(drive_c(session), TOOL_FOLDERS)
    print()
    print(textwrap.fill("Registry values that changed (under %s):" % ", ".join(
        machine_state.WATCHED_ROOTS), width=100, break_long_words=False,
        break_on_hyphens=False))
    spelled = change_table.spellings(machine_state.driver_state())
    print(change_table.render(
        change_table.registry_changes(registry_before, registry_after, spelled)))
    print()
    print("Files that changed on drive C:")
    print(change_table.render(change_table.file_changes(files_before, files_after)))
    print()
    requests = session.restart_requests()
    if requests:
        print("Restart requested: yes (ExitWindowsEx(%s))" % requests[0].arguments)
    else:
        print("Restart requested: no")
    if "Unhandled" in session.trace():
        raise DemoFailed("SETUP.EXE crashed (trace: %s)" % session.trace_path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=MINGW)
    args = parser.parse_args()

    tools = Tools(args.build_dir)
    missing = tools.missing()
    if missing:
        raise DemoFailed("not built: %s (build the mingw preset first)" % ", ".join(missing))
    cannot_emulate = emulation.emulate_where_needed(lambda reason: step(
        "%s: Wine runs under QEMU's user-mode emulation of the i386, a few times slower"
        % reason))
    if cannot_emulate:
        raise DemoFailed(cannot_emulate)
    rig = DemoRig(tools)
    if not rig.pristine.ready():
        step("creating the first Wine prefix with wineboot (a minute or two, once per Wine "
             "version)")
    rig.pristine.ensure()

    shutil.rmtree(DEMO, ignore_errors=True)
    os.makedirs(MACHINE_DIR)
    user_display = os.environ.get("DISPLAY")
    display = UserDisplay(user_display) if user_display else VirtualDisplay()
    if user_display:
        display.check()
    else:
        display.start()
        step("started a private X server (Xvfb %s)" % display.name)
    session = None
    try:
        step("creating the demo machine (Windows 95, Tarvix-II driver installed) in %s"
             % os.path.relpath(MACHINE_DIR, ROOT))
        session = Session(rig, display, MACHINE_DIR, windows_version="win95")
        registry_before = session.seed(machine_state.driver_state())
        files_before = change_table.file_snapshot(drive_c(session), TOOL_FOLDERS)
        if user_display:
            # On a desktop, the user's window manager frames the dialog as it
            # does any program's.
            session.run_probe([probe.set_value(r"HKCU\Software\Wine\X11 Driver", "Managed",
                                               probe.REG_SZ, b"Y\0")])
        step("starting A:\\SETUP.EXE, drive A: holding the files of the floppy image %s"
             % os.path.relpath(tools.built_file("SETUP.IMG"), ROOT))
        step("on drive A: " + ", ".join(session.start_from_floppy()))
        if user_display:
            run_on_user_display(session)
        else:
            run_on_private_display(session)
        step("SETUP.EXE ended; reading the machine back")
        report(session, registry_before, files_before)
    finally:
        if session:
            session.close()
        if not user_display:
            display.stop()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except DemoFailed as failure:
        print("demo: failed: %s" % failure, file=sys.stderr)
        sys.exit(1)
    except WineDoesNotStart as failure:
        print("demo: failed: Wine does not start here (%s)" % failure, file=sys.stderr)
        sys.exit(1)
