"""One run's machine: a fresh prefix on an X display, seeded through the
probe, with SETUP.EXE started, driven and read back."""

import os
import shutil
import subprocess

from support.program_facts import ABOUT_CAPTION as ABOUT, CONFIRMATION_CAPTION as DIALOG

from . import machine_state, probe, relay, xinput
from .probe import REG_SZ
from .prefix import ThrowawayPrefix
from .waiting import scaled

PROGRAM_DIR = "C:\\Setup"
HELP_LOG = "winhelp-requests.txt"


class Session:
    """`rig` holds what every run shares: the built programs (`tools`), the
    `pristine` prefix and a folder for pictures (`artifacts`); the suite's
    also takes notes."""

    def __init__(self, rig, display, work_dir, locale="C.UTF-8", windows_version=None,
                 case_name=None):
        self.rig = rig
        self.case_name = case_name
        self.display = display
        self.work_dir = work_dir
        self.windows_version = windows_version
        self.locale = locale
        self.prefix = ThrowawayPrefix(rig.pristine, work_dir, rig.tools, display.name, locale)
        self.trace_path = os.path.join(work_dir, "trace.txt")
        self.program = None

    def mode_name(self):
        return self.windows_version or "default"

    def note(self, text):
        """A measured fact for the report, under the case's name."""
        self.rig.note(text, self.case_name)

    # --- machine state -------------------------------------------------
    def seed(self, state, driver_inf=True):
        """Writes the state and the INFs, sets the Windows version, returns the
        state as read back."""
        machine_state.place_infs(self.prefix, driver_inf)
        # "system" first: it brings Wine's display driver up, which writes its
        # own registry keys, so that they are there before anything is read.
        commands = [["system"]] + machine_state.seed_commands(state)
        if self.windows_version:
            commands.append(probe.set_value(r"HKCU\Software\Wine", "Version", REG_SZ,
                                            self.windows_version.encode() + b"\0"))
            # The probe itself stays on Wine's default, so that both modes are
            # read back with the same instrument.
            commands.append(probe.set_value(r"HKCU\Software\Wine\AppDefaults\probe.exe",
                                            "Version", REG_SZ, b"win10\0"))
        return self._probe_registry(
            "seeding", commands + [probe.dump(k) for k in machine_state.WATCHED_ROOTS])

    def read_back(self, roots=None):
        roots = roots or machine_state.WATCHED_ROOTS
        return self._probe_registry("reading the registry back", [probe.dump(k) for k in roots])

    def _probe_registry(self, what, commands):
        """The registry the probe's dumps show; a failed or cut-short probe raises,
        as a partial dump would read as keys and values that are gone."""
        output = self.prefix.probe(commands)
        problems = probe.failures(output)
        if problems:
            raise RuntimeError("%s failed: %s" % (what, problems))
        return probe.read_registry(output)

    def run_probe(self, commands):
        return self.prefix.probe(commands)

    # --- the program ---------------------------------------------------
    def start(self, trace=True, real_help=False):
        """SETUP.EXE from C:\\Setup, beside the help stand-in, or with
        real_help beside SETUP.HLP, so that F1 opens Wine's own viewer."""
        target = self.prefix.unix_path(PROGRAM_DIR)
        os.makedirs(target, exist_ok=True)
        shutil.copy(self.rig.tools.program(), os.path.join(target, "SETUP.EXE"))
        if real_help:
            for name in ("SETUP.HLP", "SETUP.CNT"):
                shutil.copy(self.rig.tools.built_file(name), os.path.join(target, name))
        else:
            shutil.copy(self.rig.tools.stand_in(), os.path.join(target, "winhlp32.exe"))
        self._launch(PROGRAM_DIR, target, trace)

    def start_from_floppy(self, trace=True):
        """SETUP.EXE from drive A:, which holds the files read off the floppy image."""
        floppy = os.path.join(self.work_dir, "floppy")
        os.makedirs(floppy)
        image = self.rig.tools.built_file("SETUP.IMG")
        subprocess.run(["mcopy", "-m", "-i", image, "::/*", floppy], check=True,
                       env=dict(os.environ, MTOOLS_SKIP_CHECK="1"),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.symlink(floppy, os.path.join(self.prefix.path, "dosdevices", "a:"))
        self.prefix.probe([probe.set_value(r"HKLM\Software\Wine\Drives", "a:", REG_SZ,
                                           b"floppy\0")])
        self._launch("A:", floppy, trace)
        return sorted(os.listdir(floppy))

    def _launch(self, program_dir, unix_dir, trace):
        env = dict(self.prefix.env, WINEDEBUG="+pid,+relay" if trace else "-all")
        with open(self.trace_path, "wb") as trace_file:
            self.program = subprocess.Popen(
                ["wine", program_dir + "\\SETUP.EXE"], env=env, cwd=unix_dir,
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=trace_file)

    def wait_window(self, caption=DIALOG, present=True, timeout=30):
        output = self.prefix.probe([["wait", caption, "present" if present else "gone",
                                     str(int(scaled(timeout) * 1000))]], timeout=timeout + 30)
        waited = probe.record(output, "wait")
        return bool(waited and waited["ok"] == "1")

    def window(self, caption=DIALOG):
        """(window, [controls], default-button record, work area) as read from outside."""
        output = self.prefix.probe([["window", caption]])
        return (probe.record(output, "window"), probe.records(output, "control"),
                probe.record(output, "defid"), probe.record(output, "workarea"))

    def inspect(self, caption=DIALOG):
        """What only the program's own thread can read: font, system menu, icons."""
        return self.prefix.probe([["inspect", caption, str(int(scaled(5) * 1000))]])

    def press(self, *keys, caption=DIALOG):
        xinput.press(self.display.name, caption, *keys)

    def click(self, x, y):
        xinput.click(self.display.name, x, y)

    def running(self):
        return self.program is not None and self.program.poll() is None

    def wait_end(self, timeout=30):
        """Waits for the program and any restart it asked for; False on time-out."""
        try:
            self.program.wait(scaled(timeout))
        except subprocess.TimeoutExpired:
            return False
        # The restart (wineboot --end-session) must finish before anything is read.
        return self.prefix.wait_processes_gone("wineboot", timeout)

    def trace(self):
        with open(self.trace_path, "rb") as f:
            return f.read().decode("latin-1")

    def program_calls(self):
        start, end = self.rig.tools.program_image()
        return relay.program_calls(self.trace(), start, end)

    def process_calls(self):
        return relay.process_calls(self.trace())

    def restart_requests(self):
        """The program process's ExitWindowsEx calls, from the trace."""
        return [c for c in self.process_calls() if c.function == "ExitWindowsEx"]

    def help_requests(self):
        path = os.path.join(self.prefix.unix_path(PROGRAM_DIR), HELP_LOG)
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            return f.read().decode("latin-1").splitlines()

    def inf_files(self):
        return machine_state.inf_files(self.prefix)

    def screenshot(self, rect, name):
        path = os.path.join(self.rig.artifacts, name)
        self.display.screenshot(rect, path)
        return path

    def close(self):
        if self.running():
            self.program.kill()
            self.program.wait()
        self.prefix.stop()
