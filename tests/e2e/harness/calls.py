"""The calls one full uninstall must make, as the document prescribes them,
and a matcher against the relay trace."""

from . import relay
from .expectations import HISTORY_ENTRY_NAMES, RESTORATION_TABLE
from .machine_state import HISTORY, SETUP, TABLE_KEYS

HKEY_LOCAL_MACHINE = 0x80000002
HKEY_USERS = 0x80000003
KEY_ALL_ACCESS = 0xF003F


class Expected:
    """One expected call: the function and the arguments that must match
    (position: number or text); optional calls may be absent."""

    def __init__(self, function, numbers=None, texts=None, optional=False):
        self.function = function
        self.numbers = numbers or {}
        self.texts = texts or {}
        self.optional = optional

    def matches(self, call):
        if call.function != self.function:
            return False
        arguments = relay.parse_arguments(call.arguments)
        for position, number in self.numbers.items():
            if position >= len(arguments) or arguments[position][0] != number:
                return False
        for position, text in self.texts.items():
            if position >= len(arguments) or (arguments[position][1] or "").lower() != text.lower():
                return False
        return True

    def __str__(self):
        return "%s%s numbers %s texts %s" % ("optional " if self.optional else "", self.function,
                                            self.numbers, self.texts)


def _root_and_path(key):
    root, path = key.split("\\", 1)
    return (HKEY_LOCAL_MACHINE if root == "HKLM" else HKEY_USERS), path


def open_key(key):
    root, path = _root_and_path(key)
    return Expected("RegOpenKeyExA", {0: root, 2: 0, 3: KEY_ALL_ACCESS}, {1: path})


def set_value(name, value_type, count):
    return Expected("RegSetValueExA", {2: 0, 3: value_type, 5: count}, {1: name})


def close_key(optional=False):
    return Expected("RegCloseKey", optional=optional)


def full_uninstall(source_path_bytes):
    """Every registry call of an uninstall on a machine with all keys present."""
    calls = [open_key(SETUP), Expected("RegQueryValueExA", {2: 0}, {1: "SourcePath"}),
             open_key(HISTORY)]
    calls += [Expected("RegDeleteValueA", texts={1: name}) for name in HISTORY_ENTRY_NAMES]
    calls += [set_value("a", 1, 4), set_value("MRUList", 1, 3),
              set_value("b", 1, len(source_path_bytes)), close_key(optional=True),
              set_value("SourcePath", 1, 4), close_key(optional=True), close_key(optional=True)]
    for key in TABLE_KEYS:
        calls.append(open_key(key))
        for row_key, name, value in RESTORATION_TABLE:
            if row_key != key:
                continue
            if value is None:
                calls.append(Expected("RegDeleteValueA", texts={1: name}))
            else:
                calls.append(set_value(name, value[0], len(value[1])))
        calls.append(close_key())
    return calls


def mismatches(actual, expected):
    """Lines describing where the actual calls leave the expected sequence."""
    position = 0
    for number, call in enumerate(actual, 1):
        while position < len(expected) and expected[position].optional and \
                not expected[position].matches(call):
            position += 1
        if position >= len(expected):
            return ["extra call %s" % call]
        if not expected[position].matches(call):
            return ["call %d is %s, expected %s" % (number, call, expected[position])]
        position += 1
    missing = [str(e) for e in expected[position:] if not e.optional]
    return ["missing calls from %s" % missing[0]] if missing else []
