#!/usr/bin/env python3
"""Checks of the checks: each row changes a copy of one file that a check reads
(a built file, or an input such as the reviewed-imports list), runs that check
as ctest would with the copy in place of the file, and wants it to fail with a
line that holds the row's piece of text.

Usage: mutants.py CTEST BUILD_DIR OBJDUMP MKFS_FAT TIME_LIMIT

OBJDUMP and MKFS_FAT are the tools the build found; TIME_LIMIT is the test's
own limit in seconds, which must leave every check its time.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from collections import namedtuple

# The PE reader is shared with the Wine harness; the help file's directory
# reader is the map step's (help/). ctest puts both on the path.
from add_help_map import directory
from check_help_map import map_entries
from check_instructions import instructions
from check_resources import VERSION_TEXT
from support.pe_image import PEImage
from support.program_facts import ABOUT_TOPIC, CONFIRMATION_TOPIC

# A check that has not failed by then hangs on the mutant.
CHECK_TIME_LIMIT = 20
# Before the first check: Python's start and ctest's listing of the tests.
START_UP_SECONDS = 20

Tools = namedtuple("Tools", "objdump mkfs_fat")


def in_place_of_first_call(code):
    """The instruction bytes (hex), padded with nops, in place of the first
    5-byte call of the first code section; {address} is theirs."""
    code = bytes.fromhex(code)

    def change(copy):
        image = PEImage(bytes(copy.data))
        section = next(s for s in image.sections if s.executable and s.size)
        start = image.image_base + section.rva
        address = next(a for a, length, mnemonic, _, _ in instructions(
            copy.tools.objdump, copy.path, start, start + section.size)
                       if mnemonic == "call" and length == 5)
        at = section.offset + address - start
        copy.data[at:at + 5] = code.ljust(5, b"\x90")
        return {"address": "%#x" % address}
    return change


def replace(old, new):
    """The one occurrence of old replaced with new."""
    def change(copy):
        if copy.data.count(old) != 1:
            raise ValueError("%r occurs %d times" % (old, copy.data.count(old)))
        copy.data[:] = copy.data.replace(old, new)
    return change


def nops_over(start, length):
    """`length` bytes from the one occurrence of `start` on, nops."""
    def change(copy):
        if copy.data.count(start) != 1:
            raise ValueError("%r occurs %d times" % (start, copy.data.count(start)))
        at = copy.data.find(start)
        copy.data[at:at + length] = b"\x90" * length
    return change


def append(text):
    def change(copy):
        copy.data += text
    return change


def version_entry(copy, key):
    """File offset of the version entry (length, value length, type, key) keyed `key`."""
    at = copy.data.find((key + "\0").encode("utf-16-le")) - 6
    if at < 0:
        raise ValueError("no version entry %s" % key)
    return at


def version_value_doubly_terminated(key):
    """The value's length grows by one character, which the padding after it makes a zero."""
    def change(copy):
        at = version_entry(copy, key)
        length, value_length = struct.unpack_from("<HH", copy.data, at)
        if copy.data[at + length:at + length + 2] != b"\0\0":
            raise ValueError("no padding after the value of %s" % key)
        struct.pack_into("<HH", copy.data, at, length + 2, value_length + 1)
    return change


def version_texts_without_end(copy):
    """Every text of the version block from its first key on: never a zero character."""
    at = version_entry(copy, "VS_VERSION_INFO")
    length, = struct.unpack_from("<H", copy.data, at)
    copy.data[at + 6:at + length] = b"A\0" * ((length - 6) // 2)


def version_block_of_no_length(copy):
    struct.pack_into("<H", copy.data, version_entry(copy, "VS_VERSION_INFO"), 0)


def floppy_entry_dated_1998(name):
    """The directory entry of `name` (8.3, padded, found once) dated 1998-01-01 09:00."""
    def change(copy):
        if copy.data.count(name) != 1:
            raise ValueError("%r occurs %d times" % (name, copy.data.count(name)))
        entry = copy.data.find(name)
        struct.pack_into("<HH", copy.data, entry + 22, 9 << 11, (1998 - 1980) << 9 | 1 << 5 | 1)
    return change


def floppy_with_mkfs_boot_sector(copy):
    """mkfs.fat's own boot code, jump and OEM name around the image's BPB."""
    with tempfile.TemporaryDirectory() as folder:
        image = os.path.join(folder, "plain.img")
        subprocess.run([copy.tools.mkfs_fat, "-C", "--invariant", image, "1440"], check=True,
                       stdout=subprocess.DEVNULL)
        with open(image, "rb") as f:
            plain = f.read(512)
    copy.data[:11] = plain[:11]
    copy.data[62:512] = plain[62:512]


def first_section_past_end_of_file(copy):
    pe, = struct.unpack_from("<I", copy.data, 0x3C)
    optional_size, = struct.unpack_from("<H", copy.data, pe + 20)
    raw_size_field = pe + 24 + optional_size + 16
    struct.pack_into("<I", copy.data, raw_size_field, len(copy.data))


def help_map_changed(change):
    """|CTXOMAP's (map number, topic offset) entries as `change` makes them;
    it returns them and the row's {names}."""
    def change_map(copy):
        data = bytes(copy.data)
        start, entries = map_entries(data, directory(data, struct.unpack_from("<i", data, 4)[0]))
        entries, names = change(entries)
        for i, entry in enumerate(entries):
            struct.pack_into("<II", copy.data, start + 8 * i, *entry)
        return names
    return change_map


def first_number_raised(entries):
    (number, offset), *others = entries
    return [(number + 1, offset)] + others, {"number": "%#x" % number}


def topics_swapped(entries):
    (first, first_topic), (second, second_topic) = entries
    return [(first, second_topic), (second, first_topic)], {}


MUTANTS = [
    # what, the file changed, the change, the check that must fail, a piece of its line
    ("SSE2 movsd", "SETUP.EXE", in_place_of_first_call("F2 0F 10 C1"), "setup_instructions",
     "at {address}: movsd xmm0,xmm1"),
    ("SSE2 cmpsd, immediate 8", "SETUP.EXE", in_place_of_first_call("F2 0F C2 C1 08"),
     "setup_instructions", "at {address}: cmpsd xmm0,xmm1,0x8"),
    ("MMX", "SETUP.EXE", in_place_of_first_call("0F 6F C1"), "setup_instructions",
     "at {address}: movq mm0,mm1"),
    ("cmov", "SETUP.EXE", in_place_of_first_call("0F 44 C1"), "setup_instructions",
     "at {address}: cmove eax,ecx"),
    ("long nop", "SETUP.EXE", in_place_of_first_call("0F 1F 00"), "setup_instructions",
     "at {address}: nop DWORD PTR [eax]"),
    ("x87", "SETUP.EXE", in_place_of_first_call("D9 E8"), "setup_instructions",
     "at {address}: fld1"),
    ("cpuid", "SETUP.EXE", in_place_of_first_call("0F A2"), "setup_instructions",
     "at {address}: cpuid"),
    ("an import not reviewed", "SETUP.EXE", replace(b"DeleteFileA\0", b"DeleteFileW\0"),
     "setup_imports", "KERNEL32.DLL DeleteFileW is imported but not reviewed"),
    ("a reviewed import gone", "windows95_imports.txt",
     append(b"KERNEL32    GetTickCount\n"), "setup_imports",
     "KERNEL32.DLL GetTickCount is reviewed but no longer imported"),
    ("a version value with two terminators", "SETUP.EXE",
     version_value_doubly_terminated("FileVersion"), "setup_resources",
     r"version FileVersion: '{version}\x00\x00'"),
    ("version texts that never end", "SETUP.EXE", version_texts_without_end, "setup_resources",
     "version: the text at byte 6 does not end"),
    ("a version block of no length", "SETUP.EXE", version_block_of_no_length, "setup_resources",
     "version: the block at byte 0 claims 0 bytes"),
    ("a section past the end of the file", "SETUP.EXE", first_section_past_end_of_file,
     "setup_imports", "section .text runs past the end of the file"),
    ("a help map with a wrong number", "SETUP.HLP", help_map_changed(first_number_raised),
     "help_map", "F1 asks for {number}, which SETUP.HLP's map lacks"),
    ("a help map with its two numbers swapped", "SETUP.HLP", help_map_changed(topics_swapped),
     "help_map",
     "which leads to %r, not %r" % (ABOUT_TOPIC, CONFIRMATION_TOPIC)),
    ("a floppy with other file dates", "SETUP.IMG", floppy_entry_dated_1998(b"SETUP   EXE"),
     "floppy_image", "'SETUP   EXE' is dated 1998-01-01 09:00:00"),
    ("a floppy with another root-directory size", "SETUP.IMG",
     replace(b"\xe0\x00\x40\x0b\xf0", b"\x70\x00\x40\x0b\xf0"), "floppy_image",
     "root entries is 0x70, not 0xe0"),
    ("the boot sector jumping with DL=00h", "SETUP.IMG",
     replace(b"\xb2\x80\xea\x00\x7c\x00\x00", b"\xb2\x00\xea\x00\x7c\x00\x00"),
     "floppy_boot_hard-disk-after-a-failed-read",
     "the serial port said 'hard disk boot record runs at 0000:7C00, DL=00h'"),
    # test dl, dl; js: started as a hard disk, it would start itself.
    ("the boot sector without its entry-DL check", "SETUP.IMG", nops_over(b"\x84\xd2\x78", 4),
     "floppy_boot_only-hard-disk",
     "in the end the screen showed ['Uninstall disk in drive A. Starting the computer from its "
     "hard disk.'"),
    # cmp byte [0475h], 0; je
    ("the boot sector without its hard-disk count check", "SETUP.IMG",
     nops_over(b"\x80\x3e\x75\x04\x00", 7), "floppy_boot_no-hard-disk",
     "in the end the screen showed ['Uninstall disk in drive A. Starting the computer from its "
     "hard disk.', 'Hard disk read error"),
    # mov bp, 3 before mov ax, 0201h: one try.
    ("the boot sector without its read retry", "SETUP.IMG",
     replace(b"\xbd\x03\x00\xb8\x01\x02", b"\xbd\x01\x00\xb8\x01\x02"),
     "floppy_boot_hard-disk-after-a-failed-read", "the serial port said '', not"),
    # xor ah, ah; int 16h
    ("the boot sector without its key wait", "SETUP.IMG", nops_over(b"\x30\xe4\xcd\x16", 4),
     "floppy_boot_no-hard-disk", "the screen changed within 1 s of waiting for a key"),
    ("mkfs.fat's boot sector in our place", "SETUP.IMG", floppy_with_mkfs_boot_sector,
     "floppy_boot_hard-disk-after-a-failed-read",
     "in the end the screen showed [], not ['Uninstall disk in drive A."),
]


class Copy:
    """The changed copy of one file, under its own name in a scratch folder."""

    def __init__(self, original, folder, tools):
        self.path = os.path.join(folder, os.path.basename(original))
        shutil.copyfile(original, self.path)
        with open(self.path, "rb") as f:
            self.data = bytearray(f.read())
        self.tools = tools

    def save(self):
        with open(self.path, "wb") as f:
            f.write(self.data)


def ctest_commands(ctest, build_dir):
    """{test name: (command, working directory)} as ctest runs them."""
    listing = json.loads(subprocess.run(
        [ctest, "--test-dir", build_dir, "--show-only=json-v1"], check=True,
        capture_output=True, text=True).stdout)
    return {test["name"]: (test["command"], next(
        (p["value"] for p in test.get("properties", []) if p["name"] == "WORKING_DIRECTORY"),
        build_dir)) for test in listing["tests"]}


def try_mutant(mutant, commands, tools):
    """(caught, what the check said about it); {version} in its piece of text is
    the program's version."""
    _, file_name, change, check, piece = mutant
    if check not in commands:
        return False, "no test %s in the build" % check
    command, cwd = commands[check]
    originals = {arg for arg in command if os.path.basename(arg) == file_name}
    if len(originals) != 1:
        return False, "%s takes no single %s" % (check, file_name)
    original, = originals
    with tempfile.TemporaryDirectory() as folder:
        copy = Copy(original, folder, tools)
        try:
            piece = piece.format(version=VERSION_TEXT, **(change(copy) or {}))
        except (ValueError, StopIteration) as error:
            return False, "the change does not apply to %s: %s" % (file_name, error or "not found")
        copy.save()
        try:
            result = subprocess.run([copy.path if arg == original else arg for arg in command],
                                    cwd=cwd, capture_output=True, text=True,
                                    timeout=CHECK_TIME_LIMIT)
        except subprocess.TimeoutExpired:
            return False, "%s did not end within %d s" % (check, CHECK_TIME_LIMIT)
    lines = (result.stdout + result.stderr).splitlines()
    said = [line for line in lines if piece in line]
    if result.returncode == 0:
        return False, "%s passed" % check
    if not said:
        return False, "%s failed without a line holding %r:\n    %s" % (
            check, piece, "\n    ".join(lines))
    return True, "%s: %s" % (check, said[0])


def main():
    if len(sys.argv) != 6 or not sys.argv[5].isdigit():
        sys.exit(next(line for line in __doc__.splitlines() if line.startswith("Usage:")))
    ctest, build_dir, objdump, mkfs_fat, time_limit = sys.argv[1:]
    needed = START_UP_SECONDS + len(MUTANTS) * CHECK_TIME_LIMIT
    if needed > int(time_limit):
        sys.exit("%d checks of up to %d s, after %d s of start-up, need %d s: more than the "
                 "test's limit of %s s" % (len(MUTANTS), CHECK_TIME_LIMIT, START_UP_SECONDS,
                                           needed, time_limit))
    commands = ctest_commands(ctest, build_dir)
    survivors = 0
    for mutant in MUTANTS:
        started = time.monotonic()
        caught, said = try_mutant(mutant, commands, Tools(objdump, mkfs_fat))
        survivors += not caught
        print("%s %s (%.1f s): %s" % ("caught " if caught else "SURVIVED", mutant[0],
                                      time.monotonic() - started, said))
    print("%d mutants, %d survived" % (len(MUTANTS), survivors))
    sys.exit(1 if survivors else 0)


if __name__ == "__main__":
    main()
