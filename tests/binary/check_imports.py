#!/usr/bin/env python3
"""Checks a built SETUP.EXE for Windows 95: GUI subsystem, subsystem and OS
version 4.0, no link time stamp, no TLS directory, imports only from the
allowed DLLs, no Unicode (W) functions from USER32, GDI32 or ADVAPI32, and
none of the functions that Windows 95 lacks.

Usage: check_imports.py OBJDUMP SETUP.EXE DLL...
"""
import re
import subprocess
import sys

# Functions of later Windows versions that toolchain start-up code likes to use.
NOT_ON_WINDOWS_95 = {
    "IsDebuggerPresent", "AddVectoredExceptionHandler", "EncodePointer", "DecodePointer",
    "FlsAlloc", "FlsGetValue", "FlsSetValue", "FlsFree", "GetTickCount64",
    "InitializeSRWLock", "AcquireSRWLockExclusive", "ReleaseSRWLockExclusive",
    "InitializeConditionVariable", "SleepConditionVariableCS", "WakeConditionVariable",
    "InitOnceExecuteOnce", "InitializeCriticalSectionAndSpinCount", "GetModuleHandleExA",
    "MonitorFromWindow", "MonitorFromPoint", "GetMonitorInfoA",
}
UNICODE_CHECKED = {"USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL"}


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    objdump, image, allowed = sys.argv[1], sys.argv[2], {d.upper() + ".DLL" for d in sys.argv[3:]}
    dump = subprocess.run([objdump, "-p", image], check=True, capture_output=True, text=True).stdout

    failures = []
    headers = {
        "Subsystem": "00000002", "MajorSubsystemVersion": "4", "MinorSubsystemVersion": "0",
        "MajorOSystemVersion": "4", "MinorOSystemVersion": "0",
    }
    for field, want in headers.items():
        found = re.search(rf"^{field}\s+(\S+)", dump, re.M)
        if not found or found.group(1) != want:
            failures.append(f"{field} is {found.group(1) if found else 'missing'}, expected {want}")
    if not re.search(r"^Time/Date\s+Thu Jan  1 00:00:00 1970", dump, re.M):
        failures.append("the image carries a link time stamp")
    # No thread-local storage: Windows 95 does not call TLS callbacks, and the
    # program has one thread.
    tls = re.search(r"^Entry 9 (\S+) (\S+) Thread Storage Directory", dump, re.M)
    if not tls or int(tls.group(1), 16) or int(tls.group(2), 16):
        failures.append("the image has a TLS directory")

    imports = {}
    dll = None
    for line in dump.splitlines():
        name = re.match(r"\s*DLL Name: (\S+)", line)
        if name:
            dll = name.group(1).upper()
            imports[dll] = []
        elif dll and re.match(r"\s+[0-9a-f]+\s+\d+\s+\S+$", line):
            imports[dll].append(line.split()[-1])
        elif not line.strip():
            dll = None
    if not imports:
        failures.append("no import table found")
    for dll, functions in sorted(imports.items()):
        print(f"{dll}: {' '.join(functions)}")
        if dll not in allowed:
            failures.append(f"unexpected DLL {dll}")
        for function in functions:
            if dll in UNICODE_CHECKED and function.endswith("W"):
                failures.append(f"Unicode import {dll} {function}")
            if function in NOT_ON_WINDOWS_95:
                failures.append(f"{dll} {function} is not on Windows 95")
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
