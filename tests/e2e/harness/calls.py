"""The registry calls an uninstall makes, derived from the machine state read
back before it, and a matcher against the relay trace."""

from wine import relay
from wine.machine_state import HISTORY, SETUP

from .expectations import HISTORY_ENTRY_NAMES, RESTORATION_TABLE, TABLE_GROUPS

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


def close_key():
    return Expected("RegCloseKey")


def redirection_close():
    """Closing the Setup and history keys is the program's choice, not a
    requirement (nothing later uses them): a close is allowed here, not expected."""
    return Expected("RegCloseKey", optional=True)


# What a source already on drive A: holds before its last byte, which is never
# compared: "A:\\" or "a:\\" with its zero, or a leading part of either.
_HEADS_ON_DRIVE_A = {form[:length] for form in (b"A:\\\0", b"a:\\\0") for length in range(5)}


def _on_drive_a(source):
    return len(source) > 0 and source[:-1] in _HEADS_ON_DRIVE_A


def _redirect(source):
    """The redirection's calls for a readable source (bytes), or None for a missing Setup key."""
    calls = [open_key(SETUP)]
    if source is None:
        return calls
    calls.append(Expected("RegQueryValueExA", {2: 0}, {1: "SourcePath"}))
    if _on_drive_a(source):
        return calls + [redirection_close()]
    calls.append(open_key(HISTORY))
    calls += [Expected("RegDeleteValueA", texts={1: name}) for name in HISTORY_ENTRY_NAMES]
    return calls + [set_value("a", 1, 4), set_value("MRUList", 1, 3),
                    set_value("b", 1, len(source)), redirection_close(),
                    set_value("SourcePath", 1, 4), redirection_close(), redirection_close()]


def _table(before):
    calls = []
    for key in TABLE_GROUPS:
        calls.append(open_key(key))
        if before.values(key) is None:
            return calls
        for row_key, name, value in RESTORATION_TABLE:
            if row_key != key:
                continue
            if value is None:
                calls.append(Expected("RegDeleteValueA", texts={1: name}))
            else:
                calls.append(set_value(name, value[0], len(value[1])))
        calls.append(close_key())
    return calls


def expected_calls(before):
    """Every registry call of an uninstall of the state `before` (read back from
    the machine), for a source path that is missing only with its key."""
    setup = before.values(SETUP)
    source = None if setup is None else setup["sourcepath"][1]
    redirect = _redirect(source)
    if source is not None and before.values(HISTORY) is None and not _on_drive_a(source):
        # The history key fails to open: the step ends there.
        redirect = redirect[:3] + [redirection_close()]
    return redirect + _table(before)


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
