"""Reads Wine relay traces (WINEDEBUG=+pid,+relay) of the program's calls."""

import re
from dataclasses import dataclass

# The functions the trace shows. Wine wants exact names (no wildcards), and
# advapi32's registry functions may forward to kernelbase: both are listed.
_REGISTRY = [
    "RegOpenKeyExA",
    "RegOpenKeyA",
    "RegCreateKeyExA",
    "RegCreateKeyA",
    "RegQueryValueExA",
    "RegQueryValueA",
    "RegSetValueExA",
    "RegSetValueA",
    "RegDeleteValueA",
    "RegDeleteKeyA",
    "RegEnumValueA",
    "RegEnumKeyExA",
    "RegEnumKeyA",
    "RegFlushKey",
    "RegCloseKey",
]
REGISTRY_FUNCTIONS = frozenset(_REGISTRY)
TRACED_FUNCTIONS = (
    ["advapi32." + f for f in _REGISTRY]
    + ["kernelbase." + f for f in _REGISTRY]
    + [
        "kernel32.GetWindowsDirectoryA",
        "kernelbase.GetWindowsDirectoryA",
        "kernel32.DeleteFileA",
        "kernelbase.DeleteFileA",
        "msvcrt.remove",
        "msvcrt._unlink",
        "ucrtbase.remove",
        "ucrtbase._unlink",
        "user32.ExitWindowsEx",
        "user32.WinHelpA",
        "user32.MessageBoxA",
    ]
)

_CALL = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:Call ([\w.]+)\.(\w+)\((.*)\) ret=([0-9a-f]{8})$")
_HEADER = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:")


@dataclass
class Call:
    pid: str
    module: str
    function: str
    arguments: str
    return_address: int

    def __str__(self):
        return "%s(%s)" % (self.function, self.arguments)


def read_calls(trace_text):
    """Every traced call; the first process in the trace is listed first."""
    calls = []
    for line in trace_text.splitlines():
        match = _CALL.match(line)
        if match:
            pid, module, function, arguments, ret = match.groups()
            calls.append(Call(pid, module.lower(), function, arguments, int(ret, 16)))
    return calls


def first_pid(trace_text):
    for line in trace_text.splitlines():
        match = _HEADER.match(line)
        if match:
            return match.group(1)
    return None


def program_calls(trace_text, image_start, image_end):
    """Calls made by the program's own code: the first process, returning into its image."""
    pid = first_pid(trace_text)
    return [
        c
        for c in read_calls(trace_text)
        if c.pid == pid and image_start <= c.return_address < image_end
    ]


def process_calls(trace_text):
    """Every traced call of the program's process, from whatever module."""
    pid = first_pid(trace_text)
    return [c for c in read_calls(trace_text) if c.pid == pid]


_ARGUMENT = re.compile(r'\s*([0-9a-f]+)(?: (?:L)?"((?:[^"\\]|\\.)*)")?\s*(?:,|$)')


def parse_arguments(arguments):
    """[(number, text or None)] from a call's argument list as Wine prints it."""
    parsed = []
    position = 0
    while position < len(arguments):
        match = _ARGUMENT.match(arguments, position)
        if not match or match.end() == position:
            raise ValueError("unreadable arguments: %r" % arguments)
        number, text = match.groups()
        if text is not None:
            text = re.sub(r"\\(.)", r"\1", text)
        parsed.append((int(number, 16), text))
        position = match.end()
    return parsed
