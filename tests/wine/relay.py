"""Reads Wine relay traces (WINEDEBUG=+pid,+relay) of the program's calls."""

import re
from dataclasses import dataclass
from typing import Optional

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

# What the program takes and must give back: (the call that takes it, the one
# that gives it back, the position of the handle among the latter's arguments).
# Registry keys are not here: the host tests hold their closes.
HANDLE_PAIRS = [("GetDC", "ReleaseDC", 1), ("LocalAlloc", "LocalFree", 0),
                ("SetWindowsHookExA", "UnhookWindowsHookEx", 0)]
HANDLE_FUNCTIONS = frozenset(f for take, give_back, _ in HANDLE_PAIRS for f in (take, give_back))
# Wine routes these user32 calls to win32u, where the trace names them so.
_WIN32U_NAMES = {"NtUserGetDC": "GetDC", "NtUserReleaseDC": "ReleaseDC",
                 "NtUserUnhookWindowsHookEx": "UnhookWindowsHookEx"}
# kernel32's ExitProcess is ntdll's RtlExitUserProcess in Wine.
_NTDLL_NAMES = {"RtlExitUserProcess": "ExitProcess"}

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
        "kernel32.ExitProcess",
    ]
    + ["user32." + f for f in ("GetDC", "ReleaseDC", "SetWindowsHookExA", "UnhookWindowsHookEx")]
    + ["win32u." + f for f in _WIN32U_NAMES]
    + [dll + "." + f for dll in ("kernel32", "kernelbase") for f in ("LocalAlloc", "LocalFree")]
    + ["ntdll." + f for f in _NTDLL_NAMES]
)

_CALL = re.compile(
    r"^([0-9a-f]{4}):([0-9a-f]{4}):Call ([\w.]+)\.(\w+)\((.*)\) ret=([0-9a-f]{8})$")
_RET = re.compile(
    r"^([0-9a-f]{4}):([0-9a-f]{4}):Ret  ([\w.]+)\.(\w+)\(.*\) retval=([0-9a-f]{8}) "
    r"ret=([0-9a-f]{8})$")
_HEADER = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:")


@dataclass
class Call:
    pid: str
    module: str
    function: str  # as the program names it, whichever DLL Wine routes it to
    arguments: str
    return_address: int
    result: Optional[int] = None  # None: the trace has no Ret line for it

    def __str__(self):
        return "%s(%s)" % (self.function, self.arguments)


def read_calls(trace_text):
    """Every traced call with its result; the first process in the trace is listed first."""
    calls = []
    waiting = {}  # (pid, thread): [(name as traced, return address, call)], latest last
    for line in trace_text.splitlines():
        match = _CALL.match(line)
        if match:
            pid, thread, module, function, arguments, ret = match.groups()
            names = {"win32u": _WIN32U_NAMES, "ntdll": _NTDLL_NAMES}.get(module.lower(), {})
            call = Call(pid, module.lower(), names.get(function, function), arguments,
                        int(ret, 16))
            calls.append(call)
            waiting.setdefault((pid, thread), []).append((module + "." + function, ret, call))
            continue
        match = _RET.match(line)
        if match:
            pid, thread, module, function, result, ret = match.groups()
            pending = waiting.get((pid, thread), [])
            # The latest such call: one that never returned (ExitProcess) stays behind.
            for i in reversed(range(len(pending))):
                if pending[i][:2] == (module + "." + function, ret):
                    pending.pop(i)[2].result = int(result, 16)
                    break
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


def handles_taken(calls):
    """{call of HANDLE_PAIRS that takes a handle: (handles it gave, handles not given
    back)}, from the program's calls with their results."""
    counts = {}
    for take, give_back, position in HANDLE_PAIRS:
        taken, held = 0, []
        for call in calls:
            if call.function == take and call.result:
                taken += 1
                held.append(call.result)
            elif call.function == give_back:
                handle = parse_arguments(call.arguments)[position][0]
                if handle in held:
                    held.remove(handle)
        counts[take] = (taken, len(held))
    return counts
