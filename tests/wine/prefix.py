"""Wine prefixes: one pristine prefix, of the Wine installed, cached (another
version's goes), and a cheap copy of it for each run with its own wineserver."""

import os
import shutil
import signal
import subprocess
import tempfile

from . import relay
from .waiting import scaled, wait_until

# Bumped whenever the pristine prefix's settings change, so old caches go.
SETTINGS_REVISION = "5"
DLL_OVERRIDES = "mscoree,mshtml="
# Files that Wine never writes after wineboot: hard-linked into each run's
# prefix instead of copied (the prefix is 600 MB, nearly all of it these).
_SHARED_SUFFIXES = (
    ".dll", ".exe", ".drv", ".sys", ".acm", ".ocx", ".cpl", ".tlb", ".ttf",
    ".fon", ".nls", ".ds", ".msstyles", ".ax", ".com", ".vxd", ".mui",
)


class WineDoesNotStart(RuntimeError):
    """`wine --version` failed; the message is Wine's own."""


def wine_version():
    try:
        result = subprocess.run(["wine", "--version"], stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise WineDoesNotStart(str(error))
    if result.returncode != 0:
        raise WineDoesNotStart("wine --version exited %d: %s" % (
            result.returncode, " ".join(result.stderr.split()) or "no message"))
    return result.stdout.strip()


def ascii_text_hex(text):
    return (text.encode("ascii") + b"\0").hex()


def base_environment(prefix, display=None, locale="C.UTF-8", debug="-all"):
    # WINESERVER stays: the i386 emulation runs Wine's server natively.
    env = {
        k: v
        for k, v in os.environ.items()
        if k == "WINESERVER" or not k.startswith(("WINE", "LC_", "LANG", "DISPLAY"))
    }
    env.update(
        WINEPREFIX=prefix,
        WINEARCH="win32",
        WINEDLLOVERRIDES=DLL_OVERRIDES,
        WINEDEBUG=debug,
        LANG=locale,
        LC_ALL=locale,
    )
    if display:
        env["DISPLAY"] = display
    return env


def pristine_settings():
    """Probe commands for the settings every run shares."""
    return [
        # A crash ends the process instead of waiting for a click.
        ["setval", r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "4", "00000000"],
        # Without a window manager: Wine draws the caption and close box.
        ["setval", r"HKCU\Software\Wine\X11 Driver", "Managed", "1", ascii_text_hex("N")],
        ["setval", r"HKCU\Software\Wine\DllOverrides", "mscoree", "1", ascii_text_hex("")],
        ["setval", r"HKCU\Software\Wine\DllOverrides", "mshtml", "1", ascii_text_hex("")],
        ["setval", r"HKCU\Software\Wine\DllOverrides", "winemenubuilder.exe", "1",
         ascii_text_hex("")],
        ["setval", r"HKCU\Software\Wine\Debug", "RelayInclude", "1",
         ascii_text_hex(";".join(relay.TRACED_FUNCTIONS))],
    ]


def _run(args, env, timeout=120):
    return subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=scaled(timeout))


class PristinePrefix:
    """The cached prefix of this Wine version, made once with wineboot."""

    def __init__(self, cache_root, tools):
        self.tools = tools
        self.path = os.path.join(
            cache_root, "%s-r%s" % (wine_version().replace(" ", "_"), SETTINGS_REVISION)
        )

    def ready(self):
        """Whether the prefix is made: ensure() then costs nothing."""
        return os.path.exists(os.path.join(self.path, ".e2e-complete"))

    def ensure(self):
        if self.ready():
            return
        cache_root = os.path.dirname(self.path)
        # Prefixes of other Wine versions or settings, and half-made ones, go.
        shutil.rmtree(cache_root, ignore_errors=True)
        os.makedirs(cache_root)
        building = tempfile.mkdtemp(prefix="building-", dir=cache_root)
        prefix = os.path.join(building, "prefix")
        # wineboot links the user's folders (Desktop, Documents, ...) to $HOME and
        # makes menu folders there: a home of its own keeps it out of the user's.
        home = os.path.join(building, "home")
        os.makedirs(home)
        env = dict(base_environment(prefix), HOME=home)
        _run(["wineboot", "-i"], env, timeout=300)
        _run(["wineserver", "-w"], env, timeout=300)
        out = Prefix(prefix, env, self.tools).probe(pristine_settings())
        if "end\tfailures=0" not in out:
            raise RuntimeError("could not set the pristine prefix up:\n" + out)
        _run(["wineserver", "-k"], env)
        _run(["wineserver", "-w"], env)
        for name in ("probe.exe", "probe_hook.dll"):
            os.remove(os.path.join(prefix, "drive_c", "e2e", name))
        _unlink_user_folders(prefix)
        open(os.path.join(prefix, ".e2e-complete"), "w").close()
        os.rename(prefix, self.path)
        shutil.rmtree(building, ignore_errors=True)


def _unlink_user_folders(prefix):
    """Plain folders instead of wineboot's links to the home it was given, so
    that each copy of the prefix keeps what is written there to itself."""
    for root, dirs, _ in os.walk(os.path.join(prefix, "drive_c", "users")):
        for name in dirs:
            path = os.path.join(root, name)
            if os.path.islink(path):
                os.remove(path)
                os.mkdir(path)


def _clone(source, target):
    for root, dirs, files in os.walk(source):
        relative = os.path.relpath(root, source)
        destination = os.path.normpath(os.path.join(target, relative))
        os.makedirs(destination, exist_ok=True)
        for name in dirs + files:
            path = os.path.join(root, name)
            if os.path.islink(path):
                os.symlink(os.readlink(path), os.path.join(destination, name))
                if name in dirs:
                    dirs.remove(name)
        for name in files:
            path = os.path.join(root, name)
            if os.path.islink(path):
                continue
            if name.lower().endswith(_SHARED_SUFFIXES):
                os.link(path, os.path.join(destination, name))
            else:
                shutil.copy2(path, os.path.join(destination, name))


class Prefix:
    """A Wine prefix with the probe installed in C:\\e2e."""

    def __init__(self, path, env, tools):
        self.path = path
        self.env = env
        self.tools = tools
        self.install_tools()

    def unix_path(self, windows_path):
        drive, rest = windows_path.split(":", 1)
        assert drive.upper() == "C"
        return os.path.join(self.path, "drive_c", *[p for p in rest.split("\\") if p])

    def install_tools(self):
        """Copies the probe, its hook DLL and the help stand-in into C:\\e2e."""
        target = self.unix_path("C:\\e2e")
        os.makedirs(target, exist_ok=True)
        for name in ("probe.exe", "probe_hook.dll"):
            shutil.copy(self.tools.probe_file(name), os.path.join(target, name))

    def probe(self, commands, timeout=60):
        """Runs probe commands (lists of fields) and returns the probe's output."""
        work = self.unix_path("C:\\e2e")
        script = os.path.join(work, "script.txt")
        output = os.path.join(work, "output.txt")
        with open(script, "wb") as f:
            for fields in commands:
                f.write(("\t".join(fields) + "\n").encode("latin-1"))
        if os.path.exists(output):
            os.remove(output)
        _run(["wine", "C:\\e2e\\probe.exe", "C:\\e2e\\script.txt", "C:\\e2e\\output.txt"],
             self.env, timeout)
        with open(output, "rb") as f:
            return f.read().decode("latin-1")

    def processes(self, name):
        """Process ids of this prefix's processes whose command line names `name`."""
        found = []
        marker = ("WINEPREFIX=" + self.path).encode()
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if marker not in f.read().split(b"\0"):
                        continue
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    if name.lower().encode() in f.read().lower():
                        found.append(int(pid))
            except OSError:
                continue
        return found

    def wait_processes_gone(self, name, timeout):
        return wait_until(lambda: not self.processes(name), timeout, 0.1)

    def stop(self):
        _run(["wineserver", "-k"], self.env)
        _run(["wineserver", "-w"], self.env)
        # Whatever outlived its server (none should) ends by its own id.
        for pid in self.processes(""):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


class ThrowawayPrefix(Prefix):
    """A throwaway copy of the pristine prefix for one run."""

    def __init__(self, pristine, work_dir, tools, display, locale):
        path = os.path.join(work_dir, "prefix")
        _clone(pristine.path, path)
        super().__init__(path, base_environment(path, display, locale), tools)
        # A persistent server for the whole run: services start once, with
        # the first probe, and not under the program's trace.
        _run(["wineserver", "-p"], self.env)
