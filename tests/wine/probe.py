"""Builds probe commands and reads the probe's output."""

import re

REG_SZ = 1
REG_BINARY = 3
REG_DWORD = 4


def _unescape(text):
    return re.sub(rb"%([0-9A-F]{2})", lambda m: bytes([int(m.group(1), 16)]),
                  text.encode("latin-1"))


def text(escaped):
    """A name or text from the probe's output, decoded as the ANSI bytes it was."""
    return _unescape(escaped).decode("latin-1")


def set_value(key, name, value_type, data):
    return ["setval", key, name, str(value_type), data.hex()]


def delete_key(key):
    return ["delkey", key]


def dump(key):
    return ["dump", key]


class Registry:
    """A registry snapshot: {key path (lower case): {value name (lower case): (type, bytes)}},
    with the names as Windows spells them kept for messages."""

    def __init__(self):
        self.keys = {}

    def values(self, key):
        return self.keys.get(key.lower())

    def value(self, key, name):
        values = self.keys.get(key.lower())
        return None if values is None else values.get(name.lower())

    def copy(self):
        other = Registry()
        other.keys = {k: dict(v) for k, v in self.keys.items()}
        return other

    def differences(self, expected):
        """Readable lines for every key and value where self differs from expected;
        a key on one side only is one line."""
        lines = []
        lone_keys = set()
        for key, name, mine, theirs in changed_entries(self, expected):
            if name is None:
                lone_keys.add(key)
                lines.append("key %s: %s, expected %s" % (
                    key, "absent" if mine is None else "present",
                    "absent" if theirs is None else "present"))
            elif key not in lone_keys:
                lines.append("%s [%s]: %s, expected %s" % (
                    key, name, describe(mine), describe(theirs)))
        return lines


def changed_entries(first, second):
    """(key, name, first's, second's) for every key and value where two snapshots
    differ, in order: a key on one side only comes first with name None and its
    values (None on the side without it), then each of its values."""
    for key in sorted(set(first.keys) | set(second.keys)):
        old, new = first.keys.get(key), second.keys.get(key)
        if old is None or new is None:
            yield key, None, old, new
        for name in sorted(set(old or {}) | set(new or {})):
            old_value, new_value = (old or {}).get(name), (new or {}).get(name)
            if old_value != new_value:
                yield key, name, old_value, new_value


def describe(value):
    if value is None:
        return "absent"
    value_type, data = value
    return "type %d, %d bytes %s" % (value_type, len(data), data.hex(" "))


def read_registry(output):
    registry = Registry()
    for line in output.splitlines():
        fields = line.split("\t")
        if fields[0] == "key":
            registry.keys.setdefault(text(fields[1]).lower(), {})
        elif fields[0] == "val":
            key = text(fields[1]).lower()
            registry.keys.setdefault(key, {})[text(fields[2]).lower()] = (
                int(fields[3]), bytes.fromhex(fields[4]))
    return registry


def records(output, kind):
    """The probe's `kind` lines as dicts of their key=value fields."""
    found = []
    for line in output.splitlines():
        fields = line.split("\t")
        if fields[0] == kind:
            found.append(dict(f.split("=", 1) for f in fields[1:] if "=" in f))
    return found


def record(output, kind):
    found = records(output, kind)
    return found[0] if found else None


def rect(field):
    return tuple(int(n) for n in field.split(","))


def failures(output):
    """The probe's own failures: malformed commands or failed writes."""
    return [line for line in output.splitlines() if line.startswith("error\t")] + (
        [] if "\nend\t" in "\n" + output else ["probe output ended early"])
