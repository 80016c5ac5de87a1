#!/usr/bin/env python3
"""Starts an emulated PC of 1996 from the uninstall floppy, as after SETUP.EXE's
restart with the disk still in drive A:, and checks what its boot sector does.
The PC is QEMU's isapc machine with SeaBIOS, trying the floppy first.

    boot_on_pc.py CASE QEMU IMAGE BOOT_RECORD

CASE is a row of CASES. BOOT_RECORD is the test hard disk's first sector: it
reports over the serial port that it runs, with the DL it was given. The
screen is read from text memory through QEMU's machine protocol. Each case ends by
itself within seconds."""

import json
import os
import socket
import subprocess
import sys
import tempfile
import time

STARTING = "Uninstall disk in drive A: starting the computer from its hard disk."
CANNOT_START = "Cannot start the hard disk. Take the disk out of drive A: and press a key."
RECORD_RUNS = "hard disk boot record runs, DL=80h"

# case: (CPU, the hard disk's first sector, serial output, the screen's last line)
CASES = {
    "hard-disk-486": ("486", "signed", RECORD_RUNS, STARTING),
    "hard-disk-pentium": ("pentium", "signed", RECORD_RUNS, STARTING),
    "no-hard-disk": ("486", None, "", CANNOT_START),
    "unsigned-hard-disk": ("486", "unsigned", "", CANNOT_START),
}
WAIT_SECONDS = 10
TEXT_MEMORY, TEXT_COLUMNS, TEXT_ROWS = 0xB8000, 80, 25
HARD_DISK_BYTES = 1024 * 1024


def make_hard_disk(path, record, signed):
    """A raw disk whose first sector is `record`, with or without its 55AA."""
    with open(record, "rb") as f:
        sector = bytearray(f.read())
    if not signed:
        sector[510:512] = b"\0\0"
    with open(path, "wb") as f:
        f.write(sector + bytes(HARD_DISK_BYTES - len(sector)))


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


def boot(qemu, cpu, image, hard_disk, scratch):
    """Boots; returns (serial output, screen lines) once the test record has
    reported, or the boot sector has refused twice (the second time after a
    key, when the BIOS starts the floppy again), or the wait is over."""
    serial = os.path.join(scratch, "serial.txt")
    monitor_path = os.path.join(scratch, "monitor")
    argv = [qemu, "-machine", "isapc", "-cpu", cpu, "-m", "4", "-nodefaults", "-vga", "std",
            "-display", "none", "-snapshot", "-boot", "order=ac",
            "-drive", "if=floppy,index=0,format=raw,file=" + image,
            "-serial", "file:" + serial,
            "-qmp", "unix:%s,server=on,wait=off" % monitor_path]
    if hard_disk:
        argv += ["-drive", "if=ide,index=0,format=raw,file=" + hard_disk]
    process = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        monitor = Monitor(monitor_path)
        deadline = time.monotonic() + WAIT_SECONDS
        key_pressed = False
        while True:
            said, lines = serial_text(serial), screen_lines(monitor, scratch)
            # The record's report comes whole, with its line end.
            if said.endswith("\n") or lines.count(CANNOT_START) == 2 or \
                    time.monotonic() > deadline:
                return said.strip(), lines
            if lines[-1:] == [CANNOT_START] and not key_pressed:
                monitor.command("send-key", keys=[{"type": "qcode", "data": "ret"}])
                key_pressed = True
            time.sleep(0.1)
    finally:
        process.kill()
        process.wait()


def main(argv):
    case, qemu, image, record = argv[1], argv[2], os.path.abspath(argv[3]), argv[4]
    cpu, disk, serial_expected, last_line = CASES[case]
    with tempfile.TemporaryDirectory() as scratch:
        hard_disk = None
        if disk:
            hard_disk = os.path.join(scratch, "hard-disk.img")
            make_hard_disk(hard_disk, record, disk == "signed")
        said, lines = boot(qemu, cpu, image, hard_disk, scratch)
    print("boot: %s, CPU %s: serial %r" % (case, cpu, said))
    for line in lines:
        print("boot: screen: " + line)
    failures = []
    if said != serial_expected:
        failures.append("the serial port said %r, not %r" % (said, serial_expected))
    if STARTING not in lines:
        failures.append("the screen lacks %r" % STARTING)
    if lines[-1:] != [last_line]:
        failures.append("the screen's last line is not %r" % last_line)
    if last_line == CANNOT_START and lines.count(CANNOT_START) != 2:
        failures.append("after a key the BIOS did not start the disk again")
    for failure in failures:
        print("boot: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
