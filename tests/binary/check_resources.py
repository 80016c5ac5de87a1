#!/usr/bin/env python3
"""Reads the resources out of a built SETUP.EXE and compares them, field by
field, with what the program must carry: both dialog templates with every
control, string 101, icon 128 and the version block, each under its language.

Usage: check_resources.py SETUP.EXE ICON.ico
"""
import struct
import sys

# The PE reader is shared with the Wine harness, the expected windows and
# version with its cases; ctest puts tests/ on the path.
from support.pe_image import PEImage, BadImage, RESOURCE_DIRECTORY
from support.program_facts import ABOUT_BOX, ABOUT_ENTRY_TEXT, CONFIRMATION_DIALOG, VERSION

RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 5, 6, 14, 16
ZH_TW, EN_US = 0x0404, 0x0409

CLASS_ATOMS = {"Button": 0x80, "Static": 0x82}
NO_ID = 0xFFFF

# "{version}": the program's version.
VERSION_STRINGS = [
    ("CompanyName", ""), ("FileDescription", None), ("FileVersion", "{version}"),
    ("InternalName", "SETUP"), ("LegalCopyright", None), ("OriginalFilename", "SETUP.EXE"),
    ("ProductName", "SETUP Application"), ("ProductVersion", "{version}"),
]
# signature, struct version, file version, product version, mask, flags, OS, type,
# subtype; each version as its two halves, most significant first
FIXED_FILE_INFO = (0xFEEF04BD, 0x00010000, "{version}", "{version}", 0x3F, 0, 0x4, 0x1, 0)
# The version as the version block's texts spell it: its parts joined by ", ".
VERSION_TEXT = ", ".join(map(str, VERSION))

failures = []


class Malformed(Exception):
    """A resource does not hold together: a text, field or block runs past its data."""


def expect(what, actual, expected):
    if actual != expected:
        failures.append(f"{what}: {actual!r}, expected {expected!r}")


def resources(image):
    """{(type, id, language): bytes} of the image's resource section."""
    root = image.offset(image.directory(RESOURCE_DIRECTORY)[0])

    def entries(directory):
        named, ids = image.unpack("<12xHH", root + directory)
        for i in range(named + ids):
            name, offset = image.unpack("<II", root + directory + 16 + 8 * i)
            yield name, offset & 0x7FFFFFFF

    found = {}
    for kind, kinds in entries(0):
        for number, numbers in entries(kinds):
            for language, leaf in entries(numbers):
                rva, size = image.unpack("<II", root + leaf)
                start = image.offset(rva, size)
                found[(kind, number, language)] = image.data[start:start + size]
    return found


class Reader:
    """Reads the fields of one resource (`what`, for messages) from byte `at` on."""

    def __init__(self, data, what, at=0):
        self.data, self.what, self.at = data, what, at

    def take(self, fmt):
        try:
            values = struct.unpack_from("<" + fmt, self.data, self.at)
        except struct.error:
            raise Malformed(f"{self.what}: the fields at byte {self.at} run past its end")
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        for end in range(self.at, len(self.data) - 1, 2):
            if self.data[end:end + 2] == b"\0\0":
                text = self.data[self.at:end].decode("utf-16-le")
                self.at = end + 2
                return text
        raise Malformed(f"{self.what}: the text at byte {self.at} does not end")

    def name_or_ordinal(self):
        if self.data[self.at:self.at + 2] == b"\xff\xff":
            return self.take("HH")[1]
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def check_dialog(label, data, expected):
    r = Reader(data, label)
    extended = data[:4] == b"\x01\x00\xff\xff"
    expect(f"{label} extended", extended, expected.help_id is not None)
    if extended:
        _, _, help_id, ex_style, style, count = r.take("HHIIIH")
        expect(f"{label} help id", help_id, expected.help_id)
    else:
        style, ex_style, count = r.take("IIH")
    expect(f"{label} style", hex(style), hex(expected.style))
    expect(f"{label} extended style", hex(ex_style), hex(expected.ex_style))
    expect(f"{label} rectangle", r.take("hhhh"), expected.rect)
    expect(f"{label} menu and class", (r.name_or_ordinal(), r.name_or_ordinal()), ("", ""))
    expect(f"{label} caption", r.text(), expected.caption)
    font = r.take("HHBB") + (r.text(),) if extended else (r.take("H"), r.text())
    expect(f"{label} font", font, expected.font)
    expect(f"{label} control count", count, len(expected.controls))
    for i, want in enumerate(expected.controls):
        r.align()
        if extended:
            help_id, ex_style, style, x, y, cx, cy, control_id = r.take("IIIhhhhI")
            expect(f"{label} control {i} help id", help_id, 0)
            control_id &= 0xFFFF if control_id == 0xFFFFFFFF else 0xFFFFFFFF
        else:
            style, ex_style, x, y, cx, cy, control_id = r.take("IIhhhhH")
        expect(f"{label} control {i} extended style", ex_style, 0)
        text = (r.name_or_ordinal(), r.name_or_ordinal())
        extra = r.take("H")
        r.at += extra
        class_name, want_id, want_text, *want_rect, want_style = want
        expect(f"{label} control {i}", (text[0], control_id, text[1], x, y, cx, cy, hex(style)),
               (CLASS_ATOMS[class_name], NO_ID if want_id is None else want_id, want_text,
                *want_rect, hex(want_style)))


def version_children(data, start, end):
    """(key, value bytes, children offset, end) of the version blocks in start..end."""
    at = start
    while at < end:
        r = Reader(data, "version", at)
        length, value_length, kind = r.take("HHH")
        if length < 6 or at + length > end:
            raise Malformed(f"version: the block at byte {at} claims {length} bytes, "
                            f"where bytes {at}-{end} are left")
        key = r.text()
        r.align()
        value_bytes = value_length * 2 if kind == 1 else value_length
        yield key, data[r.at:r.at + value_bytes], (r.at + value_bytes + 3) & ~3, at + length
        at = (at + length + 3) & ~3


def only(what, blocks):
    """The one block of a list that must hold one."""
    if len(blocks) != 1:
        raise Malformed(f"{what}: {len(blocks)} blocks, expected one")
    return blocks[0]


def check_version(data):
    major, minor, patch, build = VERSION
    halves = (major << 16 | minor, patch << 16 | build)
    fixed_info = [part for field in FIXED_FILE_INFO
                  for part in (halves if field == "{version}" else (field,))]
    key, fixed, children, end = only("version", list(version_children(data, 0, len(data))))
    expect("version key", key, "VS_VERSION_INFO")
    expect("fixed file info", Reader(fixed, "fixed file info").take("11I"), tuple(fixed_info))
    blocks = {k: (c, e) for k, _, c, e in version_children(data, children, end)}
    expect("version blocks", sorted(blocks), ["StringFileInfo", "VarFileInfo"])
    tables = list(version_children(data, *blocks.get("StringFileInfo", (0, 0))))
    expect("string tables", [t[0] for t in tables], ["040904b0"])
    _, _, table, table_end = only("StringFileInfo", tables)
    # Each value as stored, its terminator included: one zero, not two.
    strings = [(k, v.decode("utf-16-le"))
               for k, v, _, _ in version_children(data, table, table_end)]
    expect("version keys", [k for k, _ in strings], [k for k, _ in VERSION_STRINGS])
    for (key, value), (_, want) in zip(strings, VERSION_STRINGS):
        text = value.split("\0")[0]
        if want is None:  # a text of our choosing
            expect(f"version {key} is filled", bool(text), True)
            want = text
        else:
            want = want.format(version=VERSION_TEXT)
        expect(f"version {key}", value, want + "\0")
    key, translation, _, _ = only(
        "VarFileInfo", list(version_children(data, *blocks.get("VarFileInfo", (0, 0)))))
    expect("Translation", (key, Reader(translation, "Translation").take("HH")),
           ("Translation", (0x0409, 0x04B0)))


def check_string_101(block):
    r = Reader(block, "string table")
    for _ in range(101 % 16):
        r.at += 2 + 2 * r.take("H")
    length = r.take("H")
    expect("string 101", block[r.at:r.at + 2 * length].decode("utf-16-le"), ABOUT_ENTRY_TEXT)


def check_icon(found, icon_file):
    group = found.get((RT_GROUP_ICON, 128, ZH_TW))
    expect("icon group 128 in Chinese (Taiwan)", group is not None, True)
    if group is None:
        return
    count = Reader(group, "icon group 128", 4).take("H")
    _, _, file_count = struct.unpack_from("<HHH", icon_file)
    expect("icon images", count, file_count)
    for i in range(count):
        width, height, _, _, _, bits, size, image_id = Reader(group, "icon group 128",
                                                              6 + 14 * i).take("BBBBHHIH")
        f_size, f_offset = struct.unpack_from("<II", icon_file, 6 + 16 * i + 8)
        expect(f"icon image {i} size and colours", (width, height, bits), (32, 32, (4, 8)[i]))
        expect(f"icon image {i} bytes", found.get((RT_ICON, image_id, ZH_TW)),
               icon_file[f_offset:f_offset + f_size])


def dialog_resource(found, dialog):
    """check_dialog's label, template bytes and expectation for `dialog`."""
    return (f"template {dialog.template}", found.get((RT_DIALOG, dialog.template, EN_US), b""),
            dialog)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], "rb") as f:
        found = resources(PEImage(f.read()))
    with open(sys.argv[2], "rb") as f:
        icon_file = f.read()
    # A malformed resource ends its own check, not the others.
    for check, *arguments in [
            (check_dialog, *dialog_resource(found, CONFIRMATION_DIALOG)),
            (check_dialog, *dialog_resource(found, ABOUT_BOX)),
            (check_string_101, found.get((RT_STRING, 101 // 16 + 1, EN_US), b"")),
            (check_version, found.get((RT_VERSION, 1, EN_US), b"")),
            (check_icon, found, icon_file)]:
        try:
            check(*arguments)
        except Malformed as error:
            failures.append(str(error))
    icons = {key for key in found if key[0] == RT_ICON}
    expect("resources", sorted(set(found) - icons), sorted([
        (RT_DIALOG, ABOUT_BOX.template, EN_US), (RT_DIALOG, CONFIRMATION_DIALOG.template, EN_US),
        (RT_STRING, 7, EN_US), (RT_GROUP_ICON, 128, ZH_TW), (RT_VERSION, 1, EN_US)]))
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    try:
        main()
    except BadImage as error:
        sys.exit(f"{sys.argv[1]}: {error}")
