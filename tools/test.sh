#!/usr/bin/env bash
# Runs every test: the host unit tests (plain and sanitized), a short fuzz run, the SETUP.EXE
# build with its binary checks, and the end-to-end suite under Wine.
# Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh || { echo "test: set-up failed: run tools/setup.sh as root and read its output"; exit 1; }

passed=0
failed=0
failed_steps=()

# Runs one ctest preset after configure and build; adds its counts to the totals.
run_preset() {
    local preset=$1
    echo "== $preset: configure and build"
    if ! cmake --preset "$preset" >"build/$preset.log" 2>&1 ||
        ! cmake --build --preset "$preset" >>"build/$preset.log" 2>&1; then
        cat "build/$preset.log"
        echo "test: the $preset build failed (log above)"
        failed_steps+=("$preset build")
        failed=$((failed + 1))
        return
    fi
    rm -f "build/$preset.log"
    echo "== $preset: tests"
    local out
    out=$(ctest --preset "$preset" 2>&1)
    local rc=$?
    echo "$out" | grep -vE '^ +Start ' | grep -vE 'Test +#[0-9]+: .* Passed' || true
    local total fails
    total=$(echo "$out" | sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' | tail -1)
    fails=$(echo "$out" | sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' | tail -1)
    total=${total:-0}
    fails=${fails:-0}
    if [ "$rc" -ne 0 ] && [ "$fails" -eq 0 ]; then fails=1; fi
    passed=$((passed + total - fails))
    failed=$((failed + fails))
    [ "$fails" -eq 0 ] || failed_steps+=("$preset tests")
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
}

mkdir -p build
start=$(date +%s)
run_preset host
run_preset host-asan
run_preset mingw
run_e2e
run_preset fuzz # the fuzz target for a bounded time (UNINSTALL_FUZZ_SECONDS)

echo
if [ "${#failed_steps[@]}" -gt 0 ]; then echo "failed: ${failed_steps[*]}"; fi
echo "$passed passed, $failed failed ($(($(date +%s) - start)) s)"
[ "$failed" -eq 0 ]
