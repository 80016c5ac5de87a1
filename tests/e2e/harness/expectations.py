"""What the machine holds after an uninstall, applied to the state read back
before the run."""

import os

from wine.machine_state import HISTORY, HKLM, SETUP
from wine.probe import REG_BINARY, REG_SZ

DRIVE_A = b"A:\\\0"
HISTORY_ENTRY_NAMES = [chr(c) for c in range(ord("a"), ord("z") + 1)]
TABLE_FILE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                          os.pardir, os.pardir, "support",
                                          "restoration_table.tsv"))
TYPES = {"REG_SZ": REG_SZ, "REG_BINARY": REG_BINARY}


def _table_row(line):
    """(key, value name, (type, bytes)) for a set, (key, value name, None) for a
    delete. The unit tests hold the file to its format; the count is checked here
    too, as the bytes this side expects."""
    key, edit, name, type_name, data, count = line.split("\t")
    if edit == "delete":
        return HKLM + key, name, None
    data = bytes.fromhex(data[4:]) if data.startswith("hex:") else data.encode("ascii")
    value = (TYPES[type_name], data + b"\0" if type_name == "REG_SZ" else data)
    if len(value[1]) != int(count):
        raise ValueError("byte count %s, but the data is %d bytes" % (count, len(value[1])))
    return HKLM + key, name, value


def _read_table():
    """The tests' table file, as the unit tests read it too; a line that does not
    read names itself."""
    with open(TABLE_FILE, encoding="ascii") as f:
        lines = [(n, line.rstrip("\n")) for n, line in enumerate(f, 1)
                 if not line.startswith("#")]
    rows = []
    for number, line in lines[1:]:  # the first names the columns
        try:
            rows.append(_table_row(line))
        except (ValueError, KeyError) as error:
            raise ValueError("%s line %d: %s" % (TABLE_FILE, number, error)) from None
    return rows


RESTORATION_TABLE = _read_table()
# The key groups, in table order.
TABLE_GROUPS = list(dict.fromkeys(key for key, _, _ in RESTORATION_TABLE))


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
    for key in TABLE_GROUPS:
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
