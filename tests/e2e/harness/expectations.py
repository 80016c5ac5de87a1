"""What the machine holds after an uninstall, applied to the state read back
before the run."""

from wine.machine_state import (
    HDC_0001, HDC_0002, HDC_0003, HISTORY, IO_ARB, IRQ_ARB, MF_CHILD_0, MF_CHILD_1,
    PCI_CHILD_0, PCI_CHILD_1, PCI_IDE, SETUP, TABLE_KEYS, sz)
from wine.probe import REG_BINARY, REG_SZ

MFG_BIG5 = bytes.fromhex("28BCD0B7C7AABAB577BAD0C558B0CAB57BA6A12900")
DRIVE_A = b"A:\\\0"
HISTORY_ENTRY_NAMES = [chr(c) for c in range(ord("a"), ord("z") + 1)]

# The restoration table: (key, value name, (type, bytes)) for a set, or
# (key, value name, None) for a delete; byte counts as the table gives them.
RESTORATION_TABLE = [
    (HDC_0001, "InfPath", sz("MSHDC.INF")),
    (HDC_0001, "InfSection", sz("UNKNOWN_PCI_IDE")),
    (HDC_0001, "DriverDesc", sz("Standard Dual PCI IDE Controller")),
    (HDC_0002, "DriverDesc", sz("Primary IDE controller (single fifo)")),
    (HDC_0002, "InfPath", sz("MSHDC.INF")),
    (HDC_0002, "InfSection", sz("BAD_IDE")),
    (HDC_0003, "DriverDesc", sz("Secondary IDE controller (single fifo)")),
    (HDC_0003, "InfPath", sz("MSHDC.INF")),
    (HDC_0003, "InfSection", sz("BAD_IDE")),
    (IRQ_ARB, "ReservedIRQMask", sz("61DF")),
    (IO_ARB, "0000", sz("0000:000F,0020:0021,0040:0043,0060:0061,0064,0070:0071,0080:0090")),
    (IO_ARB, "0001", sz("0094:00A1,00C0:00DF,00F0:00FF,0102,0108:0109,01F0:01F7,02F8:02FF")),
    (IO_ARB, "0002", sz("0378:037F,03B0:03BB,03C0:03DF,03F0:03FF,04D0:04D1,0CF8:0CFF")),
    (IO_ARB, "0003", None),
    (PCI_IDE, "DeviceDesc", sz("Standard Dual PCI IDE Controller")),
    (PCI_IDE, "HWRevision", sz("000")),
    (PCI_IDE, "PCIDualIDE", None),
    (PCI_IDE, "Mfg", (REG_SZ, MFG_BIG5)),
    (PCI_IDE, "ConfigFlags", (REG_BINARY, b"\x80\x00\x00\x00")),
    (PCI_CHILD_0, "HardwareID", sz("MF\\BADPRIMARY")),
    (PCI_CHILD_1, "HardwareID", sz("MF\\BADSECONDARY")),
    (MF_CHILD_0, "HardwareID", sz("MF\\BADPRIMARY,MF\\CHILD0000")),
    (MF_CHILD_0, "IDENoSerialize", None),
    (MF_CHILD_0, "DeviceDesc", sz("Primary IDE controller (single fifo)")),
    (MF_CHILD_0, "ConfigFlags", (REG_BINARY, b"\x00\x00\x00\x00")),
    (MF_CHILD_1, "HardwareID", sz("MF\\BADSECONDARY,MF\\CHILD0001")),
    (MF_CHILD_1, "IDENoSerialize", None),
    (MF_CHILD_1, "DeviceDesc", sz("Secondary IDE controller (single fifo)")),
    (MF_CHILD_1, "ConfigFlags", (REG_BINARY, b"\x00\x00\x00\x00")),
]
# The byte counts of the table's rows, listed apart from their data so that a
# slip in either shows.
TABLE_BYTE_COUNTS = [10, 16, 33, 37, 10, 8, 39, 10, 8, 5, 65, 65, 60, None, 33, 4, None, 21,
                     4, 14, 16, 27, None, 37, 4, 29, None, 39, 4]
assert [None if v is None else len(v[1]) for _, _, v in RESTORATION_TABLE] == TABLE_BYTE_COUNTS


def _apply(registry, key, name, value):
    values = registry.keys.get(key.lower())
    if values is None:
        return
    if value is None:
        values.pop(name.lower(), None)
    else:
        values[name.lower()] = value


def after_table(before):
    """The table applied in order, stopping at the first key group that is missing."""
    after = before.copy()
    for key in TABLE_KEYS:
        if after.values(key) is None:
            break
        for row_key, name, value in RESTORATION_TABLE:
            if row_key == key:
                _apply(after, key, name, value)
    return after


def after_redirect(before, with_previous_entry=True):
    """The history rewritten and the source path set to A:\\, the old source as "b"."""
    after = before.copy()
    previous = before.value(SETUP, "SourcePath")
    for name in HISTORY_ENTRY_NAMES:
        _apply(after, HISTORY, name, None)
    _apply(after, HISTORY, "a", (REG_SZ, DRIVE_A))
    _apply(after, HISTORY, "MRUList", (REG_SZ, b"ab\0"))
    if with_previous_entry:
        _apply(after, HISTORY, "b", (REG_SZ, previous[1]))
    _apply(after, SETUP, "SourcePath", (REG_SZ, DRIVE_A))
    return after
