#!/usr/bin/env python3
"""Reads the uninstall floppy with a FAT implementation other than the one
that wrote it: DOSBox's DOS mounts the image as drive A:, lists it and copies
every file back, which must give the build's bytes.

    read_with_dosbox.py DOSBOX IMAGE FILE...

Runs headless (SDL's dummy drivers) with a throwaway HOME, where DOSBox
writes its settings."""

import os
import re
import subprocess
import sys
import tempfile

from support.program_facts import DISK_FILE_TIME

# DOSBox's DIR dates are day-month-year.
FILE_DATE = DISK_FILE_TIME.strftime("%d-%m-%Y %H:%M")
LISTING_LINE = re.compile(r"^(\S{1,8}) +(\S{1,3}) +([\d,]+) (\d\d-\d\d-\d{4} +\d+:\d\d)\s*$")
TIME_LIMIT_SECONDS = 30


def run_dosbox(dosbox, image, scratch):
    """Lists A: into DIR.TXT and copies its files to the folder `scratch`."""
    commands = ["mount c " + scratch, "imgmount a %s -t floppy" % image,
                r"dir a: > c:\DIR.TXT", r"copy a:\*.* c:\ > c:\COPY.TXT", "exit"]
    argv = [dosbox, "-noconsole"]
    for command in commands:
        argv += ["-c", command]
    env = dict(os.environ, HOME=scratch, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return subprocess.run(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=TIME_LIMIT_SECONDS, cwd=scratch)


def main(argv):
    dosbox, image, files = argv[1], os.path.abspath(argv[2]), argv[3:]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        run = run_dosbox(dosbox, image, scratch)
        listing_path = os.path.join(scratch, "DIR.TXT")
        if run.returncode != 0 or not os.path.exists(listing_path):
            print(run.stdout.decode(errors="replace"))
            print("dosbox: it wrote no listing (exit %d)" % run.returncode)
            return 1
        with open(listing_path, encoding="ascii", errors="replace") as f:
            listing = [m.groups() for m in map(LISTING_LINE.match, f.read().splitlines()) if m]
        for name, extension, size, date in listing:
            print("dosbox: %-8s %-3s %10s %s" % (name, extension, size, date))

        wanted = {}
        for path in files:
            base, extension = os.path.basename(path).split(".")
            wanted[(base, extension)] = "{:,}".format(os.path.getsize(path))
        shown = {(name, extension): size for name, extension, size, _ in listing}
        if shown != wanted:
            failures.append("lists %s, expected %s" % (sorted(shown.items()),
                                                       sorted(wanted.items())))
        failures += ["%s.%s is dated %s" % (name, extension, " ".join(date.split()))
                     for name, extension, _, date in listing
                     if " ".join(date.split()) != FILE_DATE]
        same = 0
        for path in files:
            name = os.path.basename(path)
            copied = os.path.join(scratch, name)
            if not os.path.exists(copied):
                failures.append("%s was not copied back" % name)
                continue
            with open(path, "rb") as built, open(copied, "rb") as back:
                if back.read() == built.read():
                    same += 1
                else:
                    failures.append("%s copied back differs from the build's" % name)
    for failure in failures:
        print("dosbox: " + failure)
    print("dosbox: %d files listed, %d copied back with the build's bytes" % (len(listing), same))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
