#!/usr/bin/env python3
"""Checks a built SETUP.EXE for Windows 95: GUI subsystem, subsystem and OS
version 4.0, no link time stamp, no TLS directory, and imports that are
exactly the reviewed list (DLL and function, one per line).

Usage: check_imports.py OBJDUMP SETUP.EXE REVIEWED_IMPORTS.txt
"""
import re
import subprocess
import sys


def reviewed_imports(path):
    """{(DLL, function)} from the list; words after the function are notes."""
    with open(path) as f:
        rows = [line.split() for line in f if line.strip() and not line.startswith("#")]
    return {(row[0].upper() + ".DLL", row[1]) for row in rows}


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    objdump, image, reviewed = sys.argv[1], sys.argv[2], reviewed_imports(sys.argv[3])
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
    imported = set()
    for dll, functions in sorted(imports.items()):
        print(f"{dll}: {' '.join(functions)}")
        imported.update((dll, function) for function in functions)
    for dll, function in sorted(imported - reviewed):
        failures.append(f"{dll} {function} is imported but not reviewed for Windows 95")
    for dll, function in sorted(reviewed - imported):
        failures.append(f"{dll} {function} is reviewed but no longer imported: take it off the list")
    print(f"{len(imported)} functions imported, {len(reviewed)} reviewed")
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
