#!/usr/bin/env bash
# The demo: installs what is missing, builds SETUP.EXE and its floppy image,
# creates a fresh demo machine (a Windows 95 Wine prefix with the Tarvix-II
# driver installed), runs SETUP.EXE on it from the floppy as drive A: and
# prints what changed. With $DISPLAY set the user answers the dialog; without,
# it runs on a private Xvfb and presses "Yes" itself.
# As your user or as root, not through sudo (build/ would end up root's):
# set-up asks sudo itself when it must change the machine. Safe to repeat.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "demo: $1 failed: $2" >&2
    exit 1
}

echo "demo: checking the packages it needs (tools/machine/setup.sh installs what is missing)"
bash tools/machine/setup.sh || fail "set-up" "read tools/machine/setup.sh's message above"

echo "demo: building SETUP.EXE, its help and the floppy image (cmake preset mingw)"
mkdir -p build
if ! { cmake --preset mingw && cmake --build --preset mingw; } >build/demo-build.log 2>&1; then
    cat build/demo-build.log
    fail "the mingw build" "read the build log above (also in build/demo-build.log)"
fi
rm -f build/demo-build.log

python3 tools/demo/demo.py --build-dir build/mingw ||
    fail "the demo run" "read the message above; the machine is in build/demo/machine"
