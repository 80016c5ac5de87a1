#!/usr/bin/env python3
"""Checks a built SETUP.EXE for Windows 95: GUI subsystem, subsystem and OS
version 4.0, no link time stamp, no TLS directory, and imports that are
exactly the reviewed list (DLL and function, one per line).

Usage: check_imports.py SETUP.EXE REVIEWED_IMPORTS.txt
"""
import sys

# The PE reader is shared with the Wine harness; ctest puts tests/ on the path.
from support.pe_image import PEImage, BadImage, TLS_DIRECTORY

IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


def reviewed_imports(path):
    """{(DLL, function)} from the list; words after the function are notes."""
    with open(path) as f:
        rows = [line.split() for line in f if line.strip() and not line.startswith("#")]
    return {(row[0].upper() + ".DLL", row[1]) for row in rows}


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], "rb") as f:
        image = PEImage(f.read())
    reviewed = reviewed_imports(sys.argv[2])

    failures = []
    for what, found, want in [("subsystem", image.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI),
                              ("subsystem version", image.subsystem_version, (4, 0)),
                              ("OS version", image.os_version, (4, 0))]:
        if found != want:
            failures.append(f"{what} is {found}, expected {want}")
    if image.time_stamp:
        failures.append(f"the image carries a link time stamp ({image.time_stamp:#x})")
    # No thread-local storage: Windows 95 does not call TLS callbacks, and the
    # program has one thread.
    if image.directory(TLS_DIRECTORY) != (0, 0):
        failures.append("the image has a TLS directory")

    imports = image.imports()
    imported = {(dll, function) for dll, functions in imports.items() for function in functions}
    for dll, functions in sorted(imports.items()):
        print(f"{dll}: {' '.join(functions)}")
    print(f"{len(imported)} functions imported, {len(reviewed)} reviewed")
    if not imported:
        # Nothing read is no reason to shorten the list.
        failures.append("no imported function found in the import directory")
    else:
        for dll, function in sorted(imported - reviewed):
            failures.append(f"{dll} {function} is imported but not reviewed for Windows 95")
        for dll, function in sorted(reviewed - imported):
            failures.append(
                f"{dll} {function} is reviewed but no longer imported: take it off the list")
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    try:
        main()
    except BadImage as error:
        sys.exit(f"{sys.argv[1]}: {error}")
