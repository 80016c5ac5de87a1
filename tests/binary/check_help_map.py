#!/usr/bin/env python3
"""Follows F1 from each dialog of SETUP.EXE into SETUP.HLP as WinHelp does:
the dialog's help context (the program's help base plus the dialog's template
id in SETUP.EXE), looked up in the help file's |CTXOMAP, must lead to the
start of that dialog's own topic, known by its title.

Usage: check_help_map.py SETUP.EXE SETUP.HLP
"""
import struct
import sys

# The help file's directory reader is the map step's own (help/); the PE
# reader and the expected windows are shared with the Wine harness. ctest puts
# both on the path.
from add_help_map import HelpFileError, directory, file_body
from check_resources import RT_DIALOG, Malformed, Reader, resources
from support.pe_image import BadImage, PEImage
from support.program_facts import (ABOUT_CAPTION, ABOUT_TOPIC, CONFIRMATION_CAPTION,
                                   CONFIRMATION_TOPIC, HELP_BASE)

# Each dialog by its caption, and the title of its topic.
TOPIC_OF_DIALOG = {CONFIRMATION_CAPTION: CONFIRMATION_TOPIC, ABOUT_CAPTION: ABOUT_TOPIC}

SYSTEM_HEADER = struct.Struct("<HHH4xH")  # magic, minor version, major version, flags
# Block size, text size, next link's position, format size, record type; the
# previous link's position skipped.
TOPIC_LINK = struct.Struct("<II4xiIB")
TOPIC_BLOCK, TOPIC_BLOCK_HEADER = 0x1000, 12
TOPIC_HEADER, PARAGRAPH = 0x02, 0x20


def caption(template):
    r = Reader(template, "a dialog template")
    r.take("HHIIIHhhhh" if template[:4] == b"\x01\x00\xff\xff" else "IIHhhhh")
    r.name_or_ordinal(), r.name_or_ordinal()  # menu, class
    return r.text()


def map_entries(data, files):
    """(file offset of |CTXOMAP's first entry, [(map number, topic offset)])."""
    body, _ = file_body(data, files["|CTXOMAP"][0])
    count, = struct.unpack_from("<H", data, body)
    return body + 2, [struct.unpack_from("<II", data, body + 2 + 8 * i) for i in range(count)]


def compressed_size(data, at, small):
    """Bytes of a compressed number at `at`: twice `small`, or `small` when its low bit is clear."""
    return small * (2 if data[at] & 1 else 1)


def topic_titles(data, files):
    """{topic offset: title} of every topic: block number * 0x8000 plus the
    characters of the block's paragraphs before the topic."""
    body, _ = file_body(data, files["|SYSTEM"][0])
    magic, minor, major, flags = SYSTEM_HEADER.unpack_from(data, body)
    if (magic, major) != (0x036C, 1) or minor <= 16 or flags != 0:
        raise HelpFileError("|SYSTEM: not a Windows 3.1 file with uncompressed 4 KiB topic blocks")
    body, size = file_body(data, files["|TOPIC"][0])
    # The blocks' data without their headers, as one run: a link may cross a block's end.
    links = b"".join(data[start + TOPIC_BLOCK_HEADER:min(start + TOPIC_BLOCK, body + size)]
                     for start in range(body, body + size, TOPIC_BLOCK))
    titles, block, characters, position = {}, None, 0, TOPIC_BLOCK_HEADER
    while position != -1:
        index, within = divmod(position - TOPIC_BLOCK_HEADER, 0x4000)
        at = index * (TOPIC_BLOCK - TOPIC_BLOCK_HEADER) + within
        link_size, text_size, following, format_size, kind = TOPIC_LINK.unpack_from(links, at)
        if index != block:
            block, characters = index, 0
        if kind == TOPIC_HEADER:
            if text_size > link_size - format_size:
                raise HelpFileError("|TOPIC: the title at %#x is compressed" % position)
            title = links[at + format_size:at + format_size + text_size].split(b"\0")[0]
            titles[index * 0x8000 + characters] = title.decode("latin-1")
        elif kind == PARAGRAPH:
            # The paragraph's size, then its character count.
            count_at = at + TOPIC_LINK.size + compressed_size(links, at + TOPIC_LINK.size, 2)
            count_size = compressed_size(links, count_at, 1)
            characters += int.from_bytes(links[count_at:count_at + count_size], "little") // 2
        else:
            raise HelpFileError("|TOPIC: a record of type %#x at %#x" % (kind, position))
        if following != -1 and following <= position:
            raise HelpFileError("|TOPIC: the link at %#x leads back to %#x" % (position, following))
        position = following
    return titles


def dialog_ids(exe_data):
    """{caption: template id} of SETUP.EXE's dialogs."""
    return {caption(template): number
            for (kind, number, _), template in resources(PEImage(exe_data)).items()
            if kind == RT_DIALOG}


def help_topics(help_data):
    """{map number: the title of the topic it leads to, or None where no topic starts}."""
    files = directory(help_data, struct.unpack_from("<i", help_data, 4)[0])
    for name in ("|CTXOMAP", "|SYSTEM", "|TOPIC"):
        if name not in files:
            raise HelpFileError("no %s in the file" % name)
    titles = topic_titles(help_data, files)
    topics = {}
    for number, offset in map_entries(help_data, files)[1]:
        topics.setdefault(number, titles.get(offset))  # WinHelp takes the first
    return topics


def read(path, reader):
    try:
        with open(path, "rb") as f:
            return reader(f.read())
    except (BadImage, HelpFileError, Malformed, IndexError, OSError, struct.error) as error:
        sys.exit("%s: %s" % (path, error))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    exe, help_file = sys.argv[1:]
    dialogs = read(exe, dialog_ids)
    topics = read(help_file, help_topics)
    faults = []
    for dialog, title in TOPIC_OF_DIALOG.items():
        if dialog not in dialogs:
            faults.append("SETUP.EXE has no dialog captioned %r" % dialog)
            continue
        number = HELP_BASE + dialogs[dialog]
        asks = "dialog %d (%r): F1 asks for %#x" % (dialogs[dialog], dialog, number)
        if number not in topics:
            faults.append("%s, which SETUP.HLP's map lacks" % asks)
        elif topics[number] is None:
            faults.append("%s, which leads to no topic's start" % asks)
        elif topics[number] != title:
            faults.append("%s, which leads to %r, not %r" % (asks, topics[number], title))
    for fault in faults:
        print(fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
