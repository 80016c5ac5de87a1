#!/usr/bin/env python3
"""Makes the uninstall floppy: a 1.44 MB FAT12 image with our own boot sector,
holding the given files and README.TXT, the readme source (UTF-8) as Big5 text
with CRLF line ends.

    make_floppy.py MKFS_FAT MCOPY FILE_TIME IMAGE BOOT_SECTOR README_SOURCE README_OUT FILE...

MKFS_FAT and MCOPY are the tools (dosfstools', mtools') that the build found.
FILE_TIME, in seconds since 1970, is every file's time on the disk (FAT keeps
local time: the image is made in UTC). BOOT_SECTOR is the assembled 512-byte
sector; mkfs.fat's BPB stays in it. Two runs give the same bytes: the volume
id and every time stamp are fixed."""

import os
import shutil
import subprocess
import sys
import tempfile

LABEL = "TARVIX-II"
FLOPPY_KIB = 1440
SECTOR_BYTES = 512
# mkfs.fat's BPB and extended BPB, from the bytes-a-sector field to the file
# system type; everything around them comes from our boot sector.
BPB = slice(11, 62)


def readme_text(source):
    """The readme as the Traditional Chinese Windows 95 machine reads it."""
    with open(source, encoding="utf-8") as f:
        text = f.read()
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("big5")


def read_boot_sector(path):
    """Our assembled sector, which must leave the BPB's bytes to mkfs.fat."""
    with open(path, "rb") as f:
        ours = f.read()
    if len(ours) != SECTOR_BYTES:
        raise ValueError("the boot sector %s is %d bytes, not %d" % (path, len(ours), SECTOR_BYTES))
    if ours[510:] != b"\x55\xaa":
        raise ValueError("the boot sector %s ends in %s, not 55 aa" % (path, ours[510:].hex(" ")))
    if any(ours[BPB]):
        raise ValueError("the boot sector %s has bytes other than 0 at %d to %d, where mkfs.fat's "
                         "BPB goes" % (path, BPB.start, BPB.stop - 1))
    return ours


def lay_boot_sector(image, ours):
    """Puts our jump, OEM name, code and signature around mkfs.fat's BPB."""
    with open(image, "r+b") as f:
        sector = bytearray(f.read(SECTOR_BYTES))
        sector[:BPB.start] = ours[:BPB.start]
        sector[BPB.stop:] = ours[BPB.stop:]
        f.seek(0)
        f.write(sector)


def make_image(tools, file_time, image, boot_sector, files):
    """A fresh image holding `files` (paths whose base names are 8.3 and upper case),
    made with `tools` (mkfs.fat, mcopy), each file dated `file_time`."""
    mkfs_fat, mcopy = tools
    ours = read_boot_sector(boot_sector)
    env = dict(os.environ, TZ="UTC", MTOOLS_SKIP_CHECK="1")
    partial = image + ".partial"
    if os.path.exists(partial):
        os.remove(partial)
    # --invariant: a fixed volume id (1234-ABCD) and label time instead of
    # random and current ones.
    subprocess.run([mkfs_fat, "-C", "-F", "12", "-n", LABEL, "--invariant",
                    partial, str(FLOPPY_KIB)], check=True, env=env, stdout=subprocess.DEVNULL)
    lay_boot_sector(partial, ours)
    with tempfile.TemporaryDirectory() as staging:
        for path in files:
            name = os.path.basename(path)
            if name != name.upper() or len(name.partition(".")[0]) > 8 or \
                    len(name.partition(".")[2]) > 3:
                raise ValueError("not an upper-case 8.3 name: %s" % name)
            staged = os.path.join(staging, name)
            shutil.copyfile(path, staged)
            os.utime(staged, (file_time, file_time))
            # -m keeps the staged file's time.
            subprocess.run([mcopy, "-m", "-i", partial, staged, "::/" + name], check=True,
                           env=env)
    os.replace(partial, image)


def main(argv):
    if len(argv) < 8 or not argv[3].isdigit():
        print(__doc__.strip().splitlines()[4].strip(), file=sys.stderr)
        return 2
    mkfs_fat, mcopy, file_time, image, boot_sector, readme_source, readme_out = argv[1:8]
    try:
        with open(readme_out, "wb") as f:
            f.write(readme_text(readme_source))
        make_image((mkfs_fat, mcopy), int(file_time), image, boot_sector,
                   [readme_out] + argv[8:])
    except ValueError as error:
        print("make_floppy: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
