#!/usr/bin/env python3
"""Checks the uninstall floppy image against the build's own files.

    check_floppy.py IMAGE BOOT_SECTOR README_SOURCE README.TXT FILE... -- MAKE_FLOPPY...

MAKE_FLOPPY is the maker's command as the build runs it, with its tools and
file time; the image, the boot sector, the readme and the files follow it.

Checks the boot sector's frame and BPB (a standard 1.44 MB FAT12 disk), the
label, the upper-case 8.3 names and the date of each file in the root
directory; checks README.TXT's Big5 text and CR LF line ends; and makes the
image a second time, which must give the same bytes. The files' bytes are
read back by DOSBox (read_with_dosbox.py), which did not write them."""

import os
import struct
import subprocess
import sys
import tempfile
import time

from support.program_facts import DISK_FILE_TIME

FLOPPY_BYTES = 1474560
OEM_NAME = b"MSWIN4.1"
LABEL = b"TARVIX-II  "
VOLUME_ID = 0x1234ABCD
# (offset, struct format, value, name) of each BPB field of a 1.44 MB disk.
BPB = [
    (11, "<H", 512, "bytes a sector"),
    (13, "<B", 1, "sectors a cluster"),
    (14, "<H", 1, "reserved sectors"),
    (16, "<B", 2, "FATs"),
    (17, "<H", 224, "root entries"),
    (19, "<H", 2880, "sectors"),
    (21, "<B", 0xF0, "media byte"),
    (22, "<H", 9, "sectors a FAT"),
    (24, "<H", 18, "sectors a track"),
    (26, "<H", 2, "heads"),
    (39, "<I", VOLUME_ID, "volume id"),
]
ROOT_START = (1 + 2 * 9) * 512
ROOT_ENTRIES = 224
ATTR_LONG_NAME, ATTR_VOLUME_ID = 0x0F, 0x08
FILE_STAMP = DISK_FILE_TIME.strftime("%Y-%m-%d %H:%M:%S")


def boot_sector_faults(image):
    """What is wrong with the boot sector's frame and BPB."""
    faults = []
    if image[0] != 0xEB or image[2] != 0x90:
        faults.append("starts with %s, not a short jump and NOP" % image[:3].hex(" "))
    if image[3:11] != OEM_NAME:
        faults.append("OEM name %r" % image[3:11])
    if image[510:512] != b"\x55\xaa":
        faults.append("ends in %s, not 55 aa" % image[510:512].hex(" "))
    for offset, layout, value, name in BPB:
        found, = struct.unpack_from(layout, image, offset)
        if found != value:
            faults.append("%s is %#x, not %#x" % (name, found, value))
    if image[54:62] != b"FAT12   " or image[43:54] != LABEL:
        faults.append("type %r, label %r" % (image[54:62], image[43:54]))
    return faults


def fat_stamp(date, clock):
    """A FAT entry's date and time words as text."""
    return "%04d-%02d-%02d %02d:%02d:%02d" % (1980 + (date >> 9), date >> 5 & 15, date & 31,
                                              clock >> 11, clock >> 5 & 63, (clock & 31) * 2)


def root_entries(image):
    """(name as stored, attributes, time, date) of each used root directory entry."""
    entries = []
    for i in range(ROOT_ENTRIES):
        entry = image[ROOT_START + 32 * i:ROOT_START + 32 * (i + 1)]
        if entry[0] == 0:
            break
        if entry[0] != 0xE5:
            entries.append((entry[:11], entry[11]) + struct.unpack_from("<HH", entry, 22))
    return entries


def directory_faults(image, expected):
    """What is wrong with the root directory, for the files at the paths `expected`."""
    faults = []
    entries = root_entries(image)
    files = [e for e in entries if not e[1] & ATTR_VOLUME_ID]
    wanted = [b"%-8s%-3s" % tuple(os.path.basename(p).encode().split(b".")) for p in expected]
    if sorted(name for name, _, _, _ in files) != sorted(wanted):
        faults.append("root directory: %r, expected %r" % (files, wanted))
    faults += ["%r is dated %s, not %s" % (name, fat_stamp(date, clock), FILE_STAMP)
               for name, _, clock, date in files if fat_stamp(date, clock) != FILE_STAMP]
    if [e for e in entries if e[1] == ATTR_LONG_NAME]:
        faults.append("root directory has long-name entries: %r" % entries)
    if [e[0] for e in entries if e[1] & ATTR_VOLUME_ID and e[1] != ATTR_LONG_NAME] != [LABEL]:
        faults.append("volume label entries: %r" % entries)
    return faults


def readme_faults(readme):
    with open(readme, "rb") as f:
        text = f.read()
    faults = []
    if text.count(b"\n") != text.count(b"\r\n") or text.count(b"\r") != text.count(b"\n"):
        faults.append("README.TXT has line ends other than CR LF")
    try:
        chinese = [c for c in text.decode("big5") if ord(c) > 0x2E80]
    except UnicodeDecodeError as error:
        chinese = []
        faults.append("README.TXT is not Big5: %s" % error)
    if len(chinese) < 100 or b"How to run it" not in text:
        faults.append("README.TXT lacks its English or its Chinese part")
    return faults


def main(argv):
    if "--" not in argv:
        sys.exit(__doc__.split("\n\n")[1].strip())
    make_floppy = argv[argv.index("--") + 1:]
    image_path, boot_sector, readme_source, readme, *files = argv[1:argv.index("--")]
    expected = [readme] + files
    with open(image_path, "rb") as f:
        image = f.read()
    # Everything after this reads at offsets that hold only in a whole,
    # standard 1.44 MB image.
    failures = []
    if len(image) != FLOPPY_BYTES:
        failures.append("image is %d bytes, not %d" % (len(image), FLOPPY_BYTES))
    else:
        failures += ["boot sector: " + f for f in boot_sector_faults(image)]
    if not failures:
        failures += directory_faults(image, expected)
    failures += readme_faults(readme)

    with tempfile.TemporaryDirectory() as scratch:
        # A later second run from the same files: the times must not leak in.
        time.sleep(2)
        again = os.path.join(scratch, "again")
        os.mkdir(again)
        subprocess.run(make_floppy + [os.path.join(again, "SETUP.IMG"), boot_sector,
                                      readme_source, os.path.join(again, "README.TXT")] + files,
                       check=True)
        with open(os.path.join(again, "SETUP.IMG"), "rb") as f:
            if f.read() != image:
                failures.append("a second build of the image gives other bytes")

    for failure in failures:
        print("floppy: " + failure)
    print("floppy: %d files, %d bytes" % (len(expected), sum(os.path.getsize(p) for p in expected)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
