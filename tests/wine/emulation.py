"""32-bit Wine on a kernel that runs no 32-bit x86 program (IA-32 emulation
off): the command starts itself again under QEMU's user-mode emulation of the
i386 (tools/machine/i386_emulation.sh). EMULATE_I386=1 takes that route on
any machine."""

import errno
import os
import struct
import subprocess
import sys
import tempfile

from .waiting import set_slowdown

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "tools", "machine", "i386_emulation.sh")
FORCE_VARIABLE = "EMULATE_I386"
# How much longer every wait may take under the emulation: the native limits
# are ample, and an emulated case takes about 5 times its native time.
SLOWDOWN = 4
# Emulated Wine waits on its (native) server more than it computes: four
# cases at a time keep two cores busy, where two left them half idle.
JOBS = 4
# Seconds per case under the emulation, four at a time on two cores, and the
# pristine prefix's making: for the time a run announces.
CASE_SECONDS = 9
SETUP_SECONDS = 60


class CannotEmulate(RuntimeError):
    """The emulation could not be prepared; its script said why."""


def active():
    """Whether this process runs under the emulation."""
    return bool(os.environ.get("I386_EMULATION"))


def expected_minutes(cases):
    return max(1, round((SETUP_SECONDS + CASE_SECONDS * cases) / 60))


def reason_to_emulate():
    """Why 32-bit programs must run emulated here, or None where they run natively."""
    if active():
        return None
    if os.environ.get(FORCE_VARIABLE) == "1":
        return "%s=1 asks for the emulated i386" % FORCE_VARIABLE
    return _kernel_refusal_of_32bit_programs()


def emulate_where_needed(announce, slowdown=None):
    """Where 32-bit programs must run emulated, calls announce(reason) and starts this
    command again under the emulation; then makes every wait slowdown times as long
    (by default, the emulation's SLOWDOWN where it runs). Returns why the emulation
    cannot start, or None."""
    reason = reason_to_emulate()
    if reason:
        announce(reason)
        try:
            run_again_emulated()
        except CannotEmulate as error:
            return "the emulated i386 cannot start (%s)" % error
    set_slowdown(slowdown or (SLOWDOWN if active() else 1))
    return None


def run_again_emulated():
    """Prepares the emulation and replaces this process with itself under it;
    returns only by raising CannotEmulate."""
    sys.stdout.flush()
    prepared = subprocess.run(["bash", SCRIPT, "prepare"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL)
    if prepared.returncode != 0:
        raise CannotEmulate("tools/machine/i386_emulation.sh prepare exited %d: the reason above"
                            % prepared.returncode)
    os.execvp("bash", ["bash", SCRIPT, "run", sys.executable, os.path.abspath(sys.argv[0])]
              + sys.argv[1:])


def _smallest_i386_program():
    """A static i386 ELF program that only exits with 0 (int 80h, exit)."""
    code = bytes.fromhex("b801000000" "31db" "cd80")  # mov eax,1; xor ebx,ebx; int 80h
    base, headers = 0x08048000, 52 + 32
    elf = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9) + struct.pack(
        "<HHIIIIIHHHHHH", 2, 3, 1, base + headers, 52, 0, 0, 52, 32, 1, 0, 0, 0)
    segment = struct.pack("<IIIIIIII", 1, 0, base, base, headers + len(code),
                          headers + len(code), 5, 0x1000)
    return elf + segment + code


def _kernel_refusal_of_32bit_programs():
    """Why this kernel runs no 32-bit x86 program, or None when it runs ours."""
    with tempfile.TemporaryDirectory(prefix="i386-") as folder:
        path = os.path.join(folder, "exit0")
        with open(path, "wb") as f:
            f.write(_smallest_i386_program())
        os.chmod(path, 0o700)
        try:
            code = subprocess.run([path], stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=10).returncode
        except OSError as error:
            if error.errno == errno.ENOEXEC:
                return "this kernel refuses 32-bit x86 programs (a minimal i386 ELF " \
                       "program: %s)" % os.strerror(error.errno)
            return None
        except subprocess.TimeoutExpired:
            return None
    return None if code == 0 else "a minimal i386 ELF program exited %d, not 0" % code
