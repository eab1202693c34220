#!/usr/bin/env bash
# The test command: installs what is needed, builds the three presets and runs every suite
# (native unit tests, the Win32 tests under Wine, the end-to-end tests, then each fuzz target
# for 20 seconds), then prints one line "N passed, N failed" counting them all.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
rm -f build/test-*.log
status=0

# Adds the counts of one ctest run from its summary line ("... N tests failed out of M").
count() {
    local log=$1 line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [[ -z "$line" ]]; then
        failed=$((failed + 1))
        return
    fi
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

for preset in native windows fuzz; do
    log=build/test-$preset.log
    mkdir -p build
    echo "== $preset: configure and build"
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"build/build-$preset.log" 2>&1; then
        tail -n 40 "build/build-$preset.log"
        echo "$preset: build failed"
        failed=$((failed + 1))
        status=1
        continue
    fi
    echo "== $preset: tests"
    ctest --preset "$preset" --output-on-failure 2>&1 | tee "$log" | grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
    grep -q '100% tests passed' "$log" || status=1
    count "$log"
done

# What each failing test said (GoogleTest's failures, a few lines each), so that a run read only
# from its end still shows why.
for preset in native windows fuzz; do
    log=build/test-$preset.log
    [[ -f "$log" ]] || continue
    tr -d '\r' <"$log" | grep -E -A6 ': Failure$|^\[  FAILED  \] [A-Za-z]' | grep -v '^\[       OK \]' | head -n 60
done

echo "$passed passed, $failed failed"
exit $status
