"""The pictures in docs/ against this run's of the same name, pixel by pixel
as decoded, under the Wine version recorded beside them only (fonts and
captions change with it); or, refreshing, this run's pictures into docs/."""

import glob
import os
import shutil
import struct
import subprocess

from wine.build_folders import ROOT
from wine.prefix import wine_version

DOCS = os.path.join(ROOT, "docs")
VERSION_FILE = os.path.join(DOCS, "pictures-wine-version.txt")
REFRESH_COMMAND = "tests/e2e/run --refresh-pictures"


def _size(path):
    """(width, height) from the PNG header."""
    with open(path, "rb") as f:
        return struct.unpack(">II", f.read(24)[16:24])


def _difference(ours, theirs):
    """How docs' picture differs from this run's, or None when not at all."""
    if _size(ours) != _size(theirs):
        return "%dx%d pixels, this run's %dx%d" % (_size(theirs) + _size(ours))
    result = subprocess.run(["compare", "-metric", "AE", ours, theirs, "null:"],
                            capture_output=True, text=True, timeout=60)
    if result.returncode not in (0, 1):
        raise RuntimeError("compare exited %d: %s" % (result.returncode, result.stderr))
    pixels = int(float(result.stderr.split()[0]))
    return pixels and "%d pixel%s from this run's" % (
        pixels, " differs" if pixels == 1 else "s differ") or None


def _names(artifacts):
    """docs' picture names: those this run took and those it did not."""
    names = sorted(os.path.basename(p) for p in glob.glob(os.path.join(DOCS, "*.png")))
    taken = [n for n in names if os.path.exists(os.path.join(artifacts, n))]
    return taken, [n for n in names if n not in taken]


def _recorded_version():
    try:
        with open(VERSION_FILE) as f:
            return f.read().strip()
    except FileNotFoundError:
        return None


def check(artifacts):
    """Prints what it compared and why it compared no more; the number of
    pictures that differ, each a failure."""
    version, recorded = wine_version(), _recorded_version()
    if version != recorded:
        print("pictures: not compared: docs/ holds those of %s, this is %s" % (
            recorded or "no recorded Wine", version))
        return 0
    taken, not_taken = _names(artifacts)
    if not_taken:
        print("pictures: not compared: this run took no " + ", ".join(not_taken))
    same, failed = [], 0
    for name in taken:
        ours = os.path.join(artifacts, name)
        difference = _difference(ours, os.path.join(DOCS, name))
        if difference:
            failed += 1
            print("FAIL picture docs/%s: %s (%s); if this run's is right: %s" % (
                name, difference, os.path.relpath(ours, ROOT), REFRESH_COMMAND))
        else:
            same.append(name)
    if same:
        print("pictures: the same as this run's under %s: %s" % (version, ", ".join(same)))
    return failed


def refresh(artifacts):
    """Copies this run's pictures over docs' that differ and records the Wine
    version, when the run took them all; the number of failures it adds (1
    when it refreshed nothing). A case may fail on a changed text and still
    show what the program does: the pictures' diff is for the eye."""
    taken, not_taken = _names(artifacts)
    if not_taken:
        print("pictures: not refreshed: this run took no " + ", ".join(not_taken))
        return 1
    for name in taken:
        ours = os.path.join(artifacts, name)
        if _difference(ours, os.path.join(DOCS, name)):
            shutil.copyfile(ours, os.path.join(DOCS, name))
            print("pictures: refreshed docs/" + name)
    with open(VERSION_FILE, "w") as f:
        f.write(wine_version() + "\n")
    print("pictures: docs/ holds those of %s (%s)" % (
        _recorded_version(), os.path.relpath(VERSION_FILE, ROOT)))
    return 0
