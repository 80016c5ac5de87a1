#!/usr/bin/env python3
"""Starts an emulated PC of 1996 from the uninstall disk and checks what its
boot sector does: from drive A:, as after SETUP.EXE's restart with the disk
still in it, and as the PC's only hard disk, as when the image is written to
a USB stick. The PC is QEMU's isapc machine with a 486 and SeaBIOS, trying
the floppy first.

    boot_on_pc.py CASE QEMU IMAGE BOOT_RECORD

CASE is a row of CASES. BOOT_RECORD is the test hard disk's first sector: it
reports over the serial port that it runs, the CS:IP it was started at and the
DL it was given. The screen is read from text memory through QEMU's machine
protocol. Where a case presses a key, the screen must first stay as it is
for a second, and after the key the BIOS must start the disk again. Each
case ends by itself within seconds."""

import json
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

# The sector's lines, our own copy: what a user reads is what is checked.
STARTING = "Uninstall disk in drive A. Starting the computer from its hard disk."
NOT_STARTUP = "This is the uninstall disk, not a startup disk. Remove it and press a key."
TAKE_OUT = " Take the disk out of drive A: and press a key."
NO_HARD_DISK = "No hard disk." + TAKE_OUT
NO_RECORD = "Hard disk has no startup record." + TAKE_OUT
# The BIOS's status byte, which a failed read never leaves at 0.
READ_ERROR = re.compile(r"Hard disk read error (?!00)[0-9A-F]{2}h\." + re.escape(TAKE_OUT))
WAITING = [NOT_STARTUP, NO_HARD_DISK, NO_RECORD, READ_ERROR]
RECORD_RUNS = "hard disk boot record runs at 0000:7C00, DL=80h"

# The test hard disk: (its record signed with 55AA, which of its reads fail).
UNSIGNED, FIRST_READ_FAILS, UNREADABLE = (False, None), (True, "once"), (True, "always")
# case: (SETUP.IMG as, the hard disk, serial output, the lines of ours on
# screen up to the record's report or to the wait for a key, whether a key
# follows). Keys go to one stop, as all stops share one wait, and to the
# hard-disk line.
CASES = {
    "hard-disk-after-a-failed-read": ("floppy", FIRST_READ_FAILS, RECORD_RUNS, [STARTING], False),
    "no-hard-disk": ("floppy", None, "", [STARTING, NO_HARD_DISK], True),
    "unsigned-hard-disk": ("floppy", UNSIGNED, "", [STARTING, NO_RECORD], False),
    "unreadable-hard-disk": ("floppy", UNREADABLE, "", [STARTING, READ_ERROR], False),
    "only-hard-disk": ("hard disk", None, "", [NOT_STARTUP], True),
}
WAIT_SECONDS = 8
KEY_WAIT_SECONDS = 1
TEXT_MEMORY, TEXT_COLUMNS, TEXT_ROWS = 0xB8000, 80, 25
HARD_DISK_BYTES = 1024 * 1024
# blkdebug's rules: reads of sector 0 fail from the disk's second read on,
# once or always. The first read is QEMU's own, for the disk's geometry.
BLKDEBUG_RULES = """[set-state]
event = "read_aio"
state = "1"
new_state = "2"

[inject-error]
event = "read_aio"
state = "2"
errno = "5"
sector = "0"
once = "%s"
"""


def is_line(pattern, line):
    return pattern.fullmatch(line) if isinstance(pattern, re.Pattern) else pattern == line


def ours(lines):
    """The screen's lines that this disk shows."""
    return [line for line in lines
            if any(is_line(p, line) for p in [STARTING, *WAITING])]


def shown(patterns):
    return [p.pattern if isinstance(p, re.Pattern) else p for p in patterns]


def make_hard_disk(scratch, record, kind):
    """A raw disk whose first sector is `record`, with or without its 55AA;
    its name for QEMU, through blkdebug when reads fail."""
    signed, failing = kind
    path = os.path.join(scratch, "hard-disk.img")
    with open(record, "rb") as f:
        sector = bytearray(f.read())
    if not signed:
        sector[510:512] = b"\0\0"
    with open(path, "wb") as f:
        f.write(sector + bytes(HARD_DISK_BYTES - len(sector)))
    if not failing:
        return path
    rules = os.path.join(scratch, "blkdebug.conf")
    with open(rules, "w") as f:
        f.write(BLKDEBUG_RULES % ("on" if failing == "once" else "off"))
    return "blkdebug:%s:%s" % (rules, path)


class Monitor:
    """QEMU's machine protocol (QMP) on a UNIX socket."""

    def __init__(self, path):
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            try:
                self.socket = socket.socket(socket.AF_UNIX)
                self.socket.connect(path)
                break
            except OSError:
                self.socket.close()
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.05)
        self.socket.settimeout(WAIT_SECONDS)
        self.replies = self.socket.makefile("r", encoding="utf-8")
        self.replies.readline()  # the greeting
        self.command("qmp_capabilities")

    def command(self, name, **arguments):
        """Runs one command; its reply, after any events that come first."""
        self.socket.sendall(json.dumps({"execute": name, "arguments": arguments}).encode())
        while True:
            reply = json.loads(self.replies.readline())
            if "error" in reply:
                raise RuntimeError("QEMU refused %s: %s" % (name, reply["error"]))
            if "return" in reply:
                return reply["return"]


def screen_lines(monitor, scratch):
    """The text on screen, line by line, without trailing blanks or empty lines."""
    dump = os.path.join(scratch, "screen.bin")
    monitor.command("pmemsave", val=TEXT_MEMORY, size=TEXT_COLUMNS * TEXT_ROWS * 2, filename=dump)
    with open(dump, "rb") as f:
        cells = f.read()[::2].decode("cp437")
    lines = [cells[i:i + TEXT_COLUMNS].rstrip() for i in range(0, len(cells), TEXT_COLUMNS)]
    return [line for line in lines if line]


def serial_text(path):
    with open(path, "rb") as f:
        return f.read().decode("ascii", errors="replace")


def waits_for_key(lines):
    return bool(lines) and any(is_line(p, lines[-1]) for p in WAITING)


def boot(qemu, image_as, image, hard_disk, expected, key, scratch):
    """Boots; returns (serial output, the screens as (when, lines): at the
    wait for a key and after it, or in the end; a failure or None). Ends
    when the test record has reported, when the screen shows a line of ours
    not `expected`, when the sector waits for a key and `key` is false, when
    it waits a second time, or when the wait is over."""
    serial = os.path.join(scratch, "serial.txt")
    monitor_path = os.path.join(scratch, "monitor")
    argv = [qemu, "-machine", "isapc", "-cpu", "486", "-m", "4", "-nodefaults", "-vga", "std",
            "-display", "none", "-snapshot", "-boot", "order=ac",
            "-serial", "file:" + serial,
            "-qmp", "unix:%s,server=on,wait=off" % monitor_path]
    if image_as == "floppy":
        argv += ["-drive", "if=floppy,index=0,format=raw,file=" + image]
    else:
        hard_disk = image
    if hard_disk:
        argv += ["-drive", "if=ide,index=0,format=raw,file=" + hard_disk]
    process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        monitor = Monitor(monitor_path)
        deadline = time.monotonic() + WAIT_SECONDS
        before_key = None
        while True:
            said, lines = serial_text(serial), screen_lines(monitor, scratch)
            strange = [line for line in ours(lines)
                       if not any(is_line(p, line) for p in expected)]
            if key and before_key is None and waits_for_key(lines) and not strange:
                before_key = lines
                if not held(monitor, scratch, before_key):
                    return said.strip(), [("before the key", before_key)], \
                        "the screen changed within %d s of waiting for a key" % KEY_WAIT_SECONDS
                monitor.command("send-key", keys=[{"type": "qcode", "data": "ret"}])
                continue
            started_again = before_key and waits_for_key(lines) and \
                len(ours(lines)) > len(ours(before_key))
            # The record's report comes whole, with its line end.
            if said.endswith("\n") or strange or started_again or \
                    (waits_for_key(lines) and not key) or time.monotonic() > deadline:
                if before_key:
                    return said.strip(), [("before the key", before_key),
                                          ("after the key", lines)], None
                return said.strip(), [("in the end", lines)], None
            time.sleep(0.1)
    finally:
        process.kill()
        process.wait()


def held(monitor, scratch, lines):
    """Whether the screen stays `lines` for KEY_WAIT_SECONDS."""
    until = time.monotonic() + KEY_WAIT_SECONDS
    while time.monotonic() < until:
        time.sleep(0.1)
        if screen_lines(monitor, scratch) != lines:
            return False
    return True


def screen_faults(lines, expected, when):
    found = ours(lines)
    if len(found) == len(expected) and all(map(is_line, expected, found)) and lines and \
            is_line(expected[-1], lines[-1]):
        return []
    return ["%s the screen showed %r, not %r" % (when, found, shown(expected))]


def main(argv):
    case, qemu, image, record = argv[1], argv[2], os.path.abspath(argv[3]), argv[4]
    image_as, disk, serial_expected, expected, key = CASES[case]
    with tempfile.TemporaryDirectory() as scratch:
        hard_disk = disk and make_hard_disk(scratch, record, disk)
        said, screens, failure = boot(qemu, image_as, image, hard_disk, expected, key, scratch)
    print("boot: %s: serial %r" % (case, said))
    for line in screens[-1][1]:
        print("boot: screen: " + line)
    failures = [failure] if failure else []
    if said != serial_expected:
        failures.append("the serial port said %r, not %r" % (said, serial_expected))
    # After the key the BIOS starts the disk again: the same lines once more.
    for (when, lines), starts in zip(screens, [1, 2]):
        failures += screen_faults(lines, expected * starts, when)
    for failure in failures:
        print("boot: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
