"""A readable before -> after table of registry values and files that changed."""

import hashlib
import os

from wine.probe import REG_BINARY, REG_DWORD, REG_SZ, changed_entries

_TYPE_NAMES = {REG_SZ: "REG_SZ", REG_BINARY: "REG_BINARY", REG_DWORD: "REG_DWORD"}


def _printable_ascii(data):
    return all(0x20 <= b < 0x7F for b in data)


def describe(value):
    """A registry value as a person reads it: text in quotes when it is plain
    ASCII, otherwise its bytes in hex (with the Big5 reading of a text on a
    line of its own)."""
    if value is None:
        return "(absent)"
    value_type, data = value
    name = _TYPE_NAMES.get(value_type, "type %d" % value_type)
    if value_type == REG_DWORD and len(data) == 4:
        return "%s 0x%08X" % (name, int.from_bytes(data, "little"))
    if value_type == REG_SZ:
        text, zero = (data[:-1], True) if data.endswith(b"\0") else (data, False)
        if _printable_ascii(text):
            return '%s "%s"%s' % (name, text.decode("ascii"), "" if zero else " (no zero)")
        try:
            big5 = text.decode("big5")
        except UnicodeDecodeError:
            big5 = None
        return "%s hex %s%s" % (name, data.hex(" "), '\n(Big5 "%s")' % big5 if big5 else "")
    return "%s hex %s" % (name, data.hex(" "))


def spellings(state):
    """{lower case: as written} for the keys and value names of a seeded state: the
    snapshots hold names in lower case."""
    names = {}
    for key, values in state.items():
        names[key.lower()] = key
        names.update((name.lower(), name) for name in values or {})
    return names


def registry_changes(before, after, spelled=None):
    """[(where, before, after)] for every key and value that differs."""
    spelled = spelled or {}
    rows = []
    for key, name, old, new in changed_entries(before, after):
        shown_key = spelled.get(key, key)
        if name is None:
            rows.append((shown_key, "(no key)" if old is None else "(key)",
                         "(no key)" if new is None else "(key)"))
        else:
            rows.append(("%s [%s]" % (shown_key, spelled.get(name, name)),
                         describe(old), describe(new)))
    return rows


def file_snapshot(root, skipped):
    """{path under root: (size, sha256)} of every file, skipping the named top folders."""
    snapshot = {}
    for folder, dirs, files in os.walk(root):
        if folder == root:
            dirs[:] = [d for d in dirs if d.lower() not in skipped]
        for name in files:
            path = os.path.join(folder, name)
            if os.path.islink(path):
                continue
            with open(path, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()[:12]
            snapshot[os.path.relpath(path, root)] = (os.path.getsize(path), digest)
    return snapshot


def file_changes(before, after, drive="C:\\"):
    rows = []
    def describe_file(entry):
        return "(absent)" if entry is None else "%d bytes, sha256 %s" % entry
    for path in sorted(set(before) | set(after)):
        if before.get(path) != after.get(path):
            rows.append((drive + path.replace("/", "\\"), describe_file(before.get(path)),
                         describe_file(after.get(path))))
    return rows


def render(rows):
    """Each change as three lines: where, before, after."""
    if not rows:
        return "  (nothing changed)"
    lines = []
    for where, old, new in rows:
        lines += ["  " + where, _labelled("before: ", old), _labelled("after:  ", new)]
    return "\n".join(lines)


def _labelled(label, text):
    """The text after its label, further lines of it under its first."""
    indent = "      "
    return indent + label + text.replace("\n", "\n" + indent + " " * len(label))
