#!/usr/bin/env python3
"""Checks the uninstall floppy image against the build's own files.

    check_floppy.py IMAGE MAKE_FLOPPY README_SOURCE README.TXT FILE...

Reads every file back with mtools and compares it byte for byte; checks the
FAT12 format, the label and the upper-case 8.3 names in the root directory;
checks README.TXT's Big5 text and CR LF line ends; and makes the image a
second time, which must give the same bytes."""

import os
import struct
import subprocess
import sys
import tempfile
import time

FLOPPY_BYTES = 1474560
LABEL = b"TARVIX-II  "
ATTR_LONG_NAME, ATTR_VOLUME_ID = 0x0F, 0x08


def root_entries(image):
    """(name as stored, attributes) of each used root directory entry."""
    sector, = struct.unpack_from("<H", image, 11)
    reserved, fats, root_count = struct.unpack_from("<HBH", image, 14)
    fat_sectors, = struct.unpack_from("<H", image, 22)
    start = (reserved + fats * fat_sectors) * sector
    entries = []
    for i in range(root_count):
        entry = image[start + 32 * i:start + 32 * (i + 1)]
        if entry[0] == 0:
            break
        if entry[0] != 0xE5:
            entries.append((entry[:11], entry[11]))
    return entries


def read_back(image_path, name, target):
    subprocess.run(["mcopy", "-n", "-i", image_path, "::/" + name, target], check=True,
                   env=dict(os.environ, MTOOLS_SKIP_CHECK="1"))
    with open(target, "rb") as f:
        return f.read()


def main(argv):
    image_path, make_floppy, readme_source, readme, files = argv[1], argv[2], argv[3], argv[4], \
        argv[5:]
    failures = []
    with open(image_path, "rb") as f:
        image = f.read()
    if len(image) != FLOPPY_BYTES:
        failures.append("image is %d bytes, not %d" % (len(image), FLOPPY_BYTES))
    if image[54:62] != b"FAT12   " or image[43:54] != LABEL:
        failures.append("boot sector: type %r, label %r" % (image[54:62], image[43:54]))

    expected = [readme] + files
    entries = root_entries(image)
    names = [stored for stored, attributes in entries if not attributes & ATTR_VOLUME_ID]
    wanted = [b"%-8s%-3s" % tuple(os.path.basename(p).encode().split(b".")) for p in expected]
    if sorted(names) != sorted(wanted):
        failures.append("root directory: %r, expected %r" % (names, wanted))
    if [s for s, a in entries if a == ATTR_LONG_NAME]:
        failures.append("root directory has long-name entries: %r" % entries)
    if [s for s, a in entries if a & ATTR_VOLUME_ID and a != ATTR_LONG_NAME] != [LABEL]:
        failures.append("volume label entries: %r" % entries)

    with tempfile.TemporaryDirectory() as scratch:
        for path in expected:
            name = os.path.basename(path)
            with open(path, "rb") as f:
                if read_back(image_path, name, os.path.join(scratch, name)) != f.read():
                    failures.append("%s on the image differs from the build's" % name)

        with open(readme, "rb") as f:
            text = f.read()
        if text.count(b"\n") != text.count(b"\r\n") or text.count(b"\r") != text.count(b"\n"):
            failures.append("README.TXT has line ends other than CR LF")
        try:
            chinese = [c for c in text.decode("big5") if ord(c) > 0x2E80]
        except UnicodeDecodeError as error:
            chinese = []
            failures.append("README.TXT is not Big5: %s" % error)
        if len(chinese) < 100 or b"How to run it" not in text:
            failures.append("README.TXT lacks its English or its Chinese part")

        # A later second run from the same files: the times must not leak in.
        time.sleep(2)
        again = os.path.join(scratch, "again")
        os.mkdir(again)
        subprocess.run([sys.executable, make_floppy, os.path.join(again, "SETUP.IMG"),
                        readme_source, os.path.join(again, "README.TXT")] + files, check=True)
        with open(os.path.join(again, "SETUP.IMG"), "rb") as f:
            if f.read() != image:
                failures.append("a second build of the image gives other bytes")

    for failure in failures:
        print("floppy: " + failure)
    print("floppy: %d files, %d bytes" % (len(names), sum(os.path.getsize(p) for p in expected)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
