"""Reads what the binary checks and the Wine harness look at in a 32-bit PE
image, straight from the documented layout: the file and optional headers,
the section table and the import directory. Addresses are relative to the
image base (RVAs)."""
import struct
from typing import NamedTuple

IMPORT_DIRECTORY, RESOURCE_DIRECTORY, TLS_DIRECTORY = 1, 2, 9
IMAGE_SCN_CNT_CODE, IMAGE_SCN_MEM_EXECUTE = 0x00000020, 0x20000000
PE32_MAGIC = 0x10B


class BadImage(Exception):
    """The image does not hold together: a header, an RVA or a name lies outside it."""


class Section(NamedTuple):
    name: str
    rva: int
    size: int  # the bytes the file supplies: the rest, if any, is zero-filled
    offset: int
    flags: int

    @property
    def executable(self):
        return bool(self.flags & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE))

    def holds(self, rva, size):
        return self.rva <= rva and rva + size <= self.rva + self.size


class PEImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise BadImage("no MZ header")
        pe = self.unpack("<I", 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadImage("no PE signature")
        count, self.time_stamp, _, _, optional_size, _ = self.unpack("<HIIIHH", pe + 6)
        optional = pe + 24
        if self.unpack("<H", optional) != PE32_MAGIC:
            raise BadImage("not a 32-bit image")
        self.image_base = self.unpack("<I", optional + 28)
        self.image_size = self.unpack("<I", optional + 56)
        self.os_version = self.unpack("<HH", optional + 40)
        self.subsystem_version = self.unpack("<HH", optional + 48)
        self.subsystem = self.unpack("<H", optional + 68)
        directories = self.unpack("<I", optional + 92)
        self.directories = [self.unpack("<II", optional + 96 + 8 * i) for i in range(directories)]
        self.sections = []
        for i in range(count):
            name, virtual_size, rva, raw_size, offset, flags = self.unpack(
                "<8sIIII12xI", optional + optional_size + 40 * i)
            name = name.rstrip(b"\0").decode("ascii", "replace")
            if offset + raw_size > len(data):
                raise BadImage(f"section {name} runs past the end of the file")
            self.sections.append(Section(name, rva, min(virtual_size, raw_size), offset, flags))

    def unpack(self, fmt, offset):
        try:
            values = struct.unpack_from(fmt, self.data, offset)
        except struct.error:
            raise BadImage(f"{fmt} at file offset {offset:#x} lies past the end of the file")
        return values if len(values) > 1 else values[0]

    def directory(self, index):
        """(RVA, size) of a data directory; (0, 0) where the header has none."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_holding(self, rva, size=1):
        for section in self.sections:
            if section.holds(rva, size):
                return section
        raise BadImage(f"RVA {rva:#x} (+{size}) lies in no section")

    def offset(self, rva, size=1):
        """File offset of size bytes at rva, all inside one section's file data."""
        section = self.section_holding(rva, size)
        return section.offset + rva - section.rva

    def word(self, rva):
        return self.unpack("<I", self.offset(rva, 4))

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise BadImage(f"the name at RVA {rva:#x} is not terminated")
        return self.data[start:end].decode("ascii", "replace")

    def imports(self):
        """{DLL name in capitals: [function names, "#n" for an import by ordinal]}."""
        rva, _ = self.directory(IMPORT_DIRECTORY)
        found = {}
        while rva:
            lookup, _, _, name, address_table = self.unpack("<5I", self.offset(rva, 20))
            if not (lookup or name or address_table):
                break  # the all-zero descriptor that ends the table
            functions = found.setdefault(self.string(name).upper(), [])
            # The address table holds the same entries until the loader binds them.
            thunk = lookup or address_table
            while entry := self.word(thunk):
                by_ordinal = entry & 0x80000000  # otherwise the RVA of a hint and a name
                functions.append(f"#{entry & 0xFFFF}" if by_ordinal else self.string(entry + 2))
                thunk += 4
            rva += 20
        return found
