#!/usr/bin/env bash
# Measures SETUP.EXE against a plain Win32 dialog program built in the same
# run with the same template and flags. Goal: at most 32 KiB, and at most
# twice the baseline. Without arguments, builds the mingw preset first.
# Usage: tests/binary/measure_size.sh [SETUP.EXE BASELINE.EXE]
set -euo pipefail
cd "$(dirname "$0")/../.."

if [ $# -eq 0 ]; then
    cmake --preset mingw >/dev/null
    cmake --build --preset mingw >/dev/null
    set -- build/mingw/SETUP.EXE build/mingw/tests/binary/size_baseline.exe
fi
setup=$(stat -c %s "$1")
baseline=$(stat -c %s "$2")
limit=$((32 * 1024))
echo "SETUP.EXE: $setup bytes; baseline dialog program: $baseline bytes;" \
    "ratio $((setup * 100 / baseline))%; goal: <= $limit bytes and <= 200%"
if [ "$setup" -gt "$limit" ] || [ "$setup" -gt $((2 * baseline)) ]; then
    echo "size goal missed"
    exit 1
fi
