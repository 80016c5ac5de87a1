#!/usr/bin/env bash
# Runs every test: the host unit tests (plain and sanitized), a short fuzz run, the SETUP.EXE
# build with its binary checks, the end-to-end suite under Wine (emulated where the
# kernel runs no 32-bit program, or with EMULATE_I386=1), and the disk built alone.
# Ends with the time taken and then the line "N passed, N failed"; a failed set-up
# counts as one failure.
# As your user or as root, not through sudo (build/ would end up root's):
# set-up asks sudo itself when it must change the machine.
set -uo pipefail
cd "$(dirname "$0")/.."

passed=0
failed=0
failed_steps=()
e2e_summary="e2e cases: not run"

# Configures and builds one preset, its log shown only on failure, which counts
# as one. Returns non-zero when the configure or build failed.
build_preset() {
    local preset=$1
    echo "== $preset: configure and build"
    if ! cmake --preset "$preset" >"build/$preset.log" 2>&1 ||
        ! cmake --build --preset "$preset" >>"build/$preset.log" 2>&1; then
        cat "build/$preset.log"
        echo "test: the $preset build failed (log above)"
        failed_steps+=("$preset build")
        failed=$((failed + 1))
        return 1
    fi
    rm -f "build/$preset.log"
}

# Runs one ctest preset after configure and build; adds its counts to the totals.
# Returns non-zero when the configure or build failed.
run_preset() {
    local preset=$1
    build_preset "$preset" || return 1
    echo "== $preset: tests"
    local report="$PWD/build/$preset-junit.xml"
    rm -f "$report"
    # The text shows what ran; the counts come from the JUnit report.
    ctest --preset "$preset" --output-junit "$report" 2>&1 |
        grep -vE '^ +Start |Test +#[0-9]+: .* Passed'
    local rc=${PIPESTATUS[0]}
    local passes fails
    read -r passes fails < <(python3 tests/junit_counts.py "$report")
    # A failure the report does not show (ctest itself failing) still counts.
    if [ "$rc" -ne 0 ] && [ "$fails" -eq 0 ]; then fails=1; fi
    passed=$((passed + passes))
    failed=$((failed + fails))
    [ "$fails" -eq 0 ] || failed_steps+=("$preset tests")
    return 0
}

# The end-to-end suite: the mingw build's SETUP.EXE under Wine; adds its counts.
run_e2e() {
    echo "== e2e: SETUP.EXE under Wine"
    python3 tests/e2e/run --build-dir build/mingw 2>&1 | tee build/e2e.log
    local rc=${PIPESTATUS[0]}
    local counts p f
    counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' build/e2e.log | tail -1)
    p=$(echo "$counts" | sed -n 's/^\([0-9]*\) passed.*/\1/p')
    f=$(echo "$counts" | sed -n 's/.*, \([0-9]*\) failed$/\1/p')
    p=${p:-0}
    f=${f:-0}
    if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
    passed=$((passed + p))
    failed=$((failed + f))
    [ "$f" -eq 0 ] || failed_steps+=("e2e")
    e2e_summary="e2e cases: $p passed, $f failed"
    if grep -q "user-mode emulation of the i386" build/e2e.log; then
        e2e_summary+=" (emulated i386)"
    fi
}

# The README's build of the disk alone (preset disk): its files and image must be the
# mingw build's, byte for byte. Counts as one test.
run_disk() {
    build_preset disk || return
    local name differing=()
    for name in SETUP.EXE SETUP.HLP SETUP.CNT README.TXT SETUP.IMG; do
        cmp -s "build/disk/$name" "build/mingw/$name" || differing+=("$name")
    done
    if [ "${#differing[@]}" -eq 0 ]; then
        echo "disk: SETUP.EXE, SETUP.HLP, SETUP.CNT, README.TXT and SETUP.IMG are build/mingw's bytes"
        passed=$((passed + 1))
    else
        echo "disk: build/disk differs from build/mingw in ${differing[*]}"
        failed_steps+=("disk")
        failed=$((failed + 1))
    fi
}

mkdir -p build
start=$(date +%s)
if bash tools/machine/setup.sh; then
    run_preset host
    run_preset host-asan
    # The suite would otherwise run what an earlier build left behind.
    if run_preset mingw; then
        run_e2e
        run_disk
    else
        echo "== e2e and disk: not run, as the mingw build failed"
        failed_steps+=("e2e")
        failed=$((failed + 1))
    fi
    # The fuzz target for a bounded time: the cache variable UNINSTALL_FUZZ_SECONDS (10 s),
    # set when configuring, e.g. cmake --preset fuzz -DUNINSTALL_FUZZ_SECONDS=2.
    run_preset fuzz
else
    echo "test: set-up failed (tools/machine/setup.sh's message above); nothing was built or run"
    failed_steps+=("set-up")
    failed=1
fi

echo
if [ "${#failed_steps[@]}" -gt 0 ]; then echo "failed: ${failed_steps[*]}"; fi
echo "$e2e_summary"
echo "time: $(($(date +%s) - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
