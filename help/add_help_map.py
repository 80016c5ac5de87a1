#!/usr/bin/env python3
"""Adds map numbers to a WinHelp file written by Halibut.

    help/add_help_map.py INPUT.HLP OUTPUT.HLP HELP_BASE_HEADER IDS_HEADER DIALOG=TOPIC...

Each dialog's number is the help base (kResourceHelpBase in HELP_BASE_HEADER)
plus the dialog's id (its #define in IDS_HEADER): the numbers the program
asks for, read from the headers it compiles with.

A program opens a topic with WinHelpA(..., HELP_CONTEXT, number): WinHelp
looks the number up in the file's |CTXOMAP (number, topic offset) and shows
the topic at that offset. Halibut names topics by context strings only and
writes an empty |CTXOMAP, so every number would fail. This step finds each
named topic's offset in |CONTEXT (keyed by the hash of its context string),
writes a new |CTXOMAP with one entry per number, appends it to the file and
points the file's directory at it. Nothing else in the file changes."""

import re
import struct
import sys

HELP_MAGIC = 0x00035F3F
BTREE_MAGIC = 0x293B
FILE_HEADER = struct.Struct("<IIB")  # reserved space (header included), used space, flags
BTREE_HEADER = struct.Struct("<HHH16sHHHhHHI")
LEAF_PAGE = struct.Struct("<HHhh")  # unused, entries, previous page, next page
INDEX_PAGE = struct.Struct("<HHh")  # unused, entries, first child page


class HelpFileError(Exception):
    pass


def context_hash(name):
    """WinHelp's hash of a context string (case-insensitive, 32 bits)."""
    value = 0
    for c in name:
        if c.isascii() and c.isalpha():
            digit = ord(c.upper()) - ord("A") + 17
        elif "1" <= c <= "9":
            digit = ord(c) - ord("0")
        elif c in "0._":
            digit = {"0": 10, ".": 12, "_": 13}[c]
        else:
            raise HelpFileError("context string %r: only letters, digits, '.' and '_'" % name)
        value = (value * 43 + digit) & 0xFFFFFFFF
    return value


def file_body(data, offset):
    """(start, size) of an internal file's contents, after its 9-byte header."""
    reserved, used, _ = FILE_HEADER.unpack_from(data, offset)
    if reserved < used + FILE_HEADER.size:
        raise HelpFileError("internal file at %d: reserved space %d too small" % (offset, reserved))
    return offset + FILE_HEADER.size, used


def leaf_pages(data, btree_start):
    """Start offsets of a B+ tree's leaf pages, in key order."""
    header = BTREE_HEADER.unpack_from(data, btree_start)
    magic, page_size, root, levels = header[0], header[2], header[6], header[9]
    if magic != BTREE_MAGIC:
        raise HelpFileError("no B+ tree at %d" % btree_start)
    pages = btree_start + BTREE_HEADER.size
    page = root
    for _ in range(levels - 1):
        page = INDEX_PAGE.unpack_from(data, pages + page * page_size)[2]
    while page != -1:
        start = pages + page * page_size
        yield start
        page = LEAF_PAGE.unpack_from(data, start)[3]


def directory(data, directory_start):
    """{internal file name: (its offset, where that offset is stored)}."""
    body, _ = file_body(data, directory_start)
    files = {}
    for page in leaf_pages(data, body):
        entries = LEAF_PAGE.unpack_from(data, page)[1]
        at = page + LEAF_PAGE.size
        for _ in range(entries):
            end = data.index(b"\0", at)
            name = data[at:end].decode("latin-1")
            files[name] = (struct.unpack_from("<i", data, end + 1)[0], end + 1)
            at = end + 5
    return files


def topic_offsets(data, context_offset):
    """{context string hash: topic offset} from |CONTEXT."""
    body, _ = file_body(data, context_offset)
    offsets = {}
    for page in leaf_pages(data, body):
        entries = LEAF_PAGE.unpack_from(data, page)[1]
        for i in range(entries):
            hash_value, offset = struct.unpack_from("<II", data, page + LEAF_PAGE.size + 8 * i)
            offsets[hash_value] = offset
    return offsets


def add_map(data, numbers):
    """The help file with |CTXOMAP holding `numbers` ({map number: context string})."""
    magic, directory_start, _, size = struct.unpack_from("<IiiI", data, 0)
    if magic != HELP_MAGIC or size != len(data):
        raise HelpFileError("not a WinHelp file, or truncated")
    files = directory(data, directory_start)
    for name in ("|CONTEXT", "|CTXOMAP"):
        if name not in files:
            raise HelpFileError("no %s in the file" % name)
    old_map, stored_at = files["|CTXOMAP"]
    body, _ = file_body(data, old_map)
    if struct.unpack_from("<H", data, body)[0] != 0:
        raise HelpFileError("|CTXOMAP already has entries")
    offsets = topic_offsets(data, files["|CONTEXT"][0])
    entries = b""
    for number in sorted(numbers):
        topic = numbers[number]
        if context_hash(topic) not in offsets:
            raise HelpFileError("no topic named %r" % topic)
        entries += struct.pack("<II", number, offsets[context_hash(topic)])
    new_body = struct.pack("<H", len(numbers)) + entries
    # Wine's viewer refuses a file whose reserved space leaves out the header.
    new_map = FILE_HEADER.pack(FILE_HEADER.size + len(new_body), len(new_body), 0) + new_body
    result = bytearray(data + new_map)
    struct.pack_into("<i", result, stored_at, len(data))
    struct.pack_into("<I", result, 12, len(result))
    return bytes(result)


def defined_number(header, name):
    """The number a C++ header gives `name`, by #define or as a constexpr."""
    definition = r"\s*(?:#define\s+{0}\s+|constexpr\s+\w+\s+{0}\s*=\s*)(0x[0-9A-Fa-f]+|\d+)\b"
    pattern = re.compile(definition.format(name))
    with open(header) as f:
        found = [match.group(1) for match in map(pattern.match, f) if match]
    if len(found) != 1:
        raise ValueError("%s: %d numbers defined as %s, not one" % (header, len(found), name))
    return int(found[0], 0)


def dialog_numbers(base_header, ids_header, arguments):
    """{map number: topic} for arguments DIALOG=TOPIC."""
    base = defined_number(base_header, "kResourceHelpBase")
    numbers = {}
    for argument in arguments:
        dialog, _, topic = argument.partition("=")
        if not topic:
            raise HelpFileError("expected DIALOG=TOPIC, got %r" % argument)
        numbers[base + defined_number(ids_header, dialog)] = topic
    return numbers


def main(argv):
    if len(argv) < 6:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    try:
        numbers = dialog_numbers(argv[3], argv[4], argv[5:])
        with open(argv[1], "rb") as f:
            result = add_map(f.read(), numbers)
    except (HelpFileError, OSError, struct.error, ValueError) as failure:
        print("add_help_map: %s: %s" % (argv[1], failure), file=sys.stderr)
        return 1
    with open(argv[2], "wb") as f:
        f.write(result)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
