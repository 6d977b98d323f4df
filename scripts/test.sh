#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite headless,
# printing through a private print server: once as built, the spooler's test under
# ThreadSanitizer, once more under AddressSanitizer and UndefinedBehaviorSanitizer; then a short
# run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build run test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_SANITIZE=ON \
    -DQUORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan
# Only the spooler's test: the one part of the program with a thread of its own.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_TSAN=ON >/dev/null
cmake --build build-tsan --target test_spooler

if [[ $(id -u) -eq 0 ]]; then
    cups_dir=$(mktemp -d /tmp/quorvel-cups.XXXXXX)
    trap 'scripts/print-server.sh stop "$cups_dir"' EXIT
    CUPS_SERVER=$(scripts/print-server.sh start "$cups_dir")
    export CUPS_SERVER QUORVEL_PRINT_SERVER=$cups_dir
else
    echo "Not root: the printing tests through a real print server are skipped."
fi

echo "== The layers: card/, print/, about/ and app/ cannot include system/"
(
    flags=$PWD/build/include
    probe=$(mktemp -d)
    trap 'rm -rf "$probe"' EXIT
    # Compiled in an empty folder of its own, so only the flags find headers.
    cd "$probe"
    try() { c++ -std=c++20 -fPIC -fsyntax-only @"$flags/$1.flags" -x c++ - <<<"$2"; }
    for library in quorvel_card quorvel_print quorvel_about quorvel_app; do
        # The same command builds with the runtime, so a failure below is the layers' doing.
        try $library '#include "runtime/PictureBox.h"'
        if try $library '#include "system/FontMapping.h"' 2>"$probe/error"; then
            echo "$library compiles an include of system/" >&2
            exit 1
        fi
        grep -q 'system/FontMapping.h: No such file' "$probe/error"
    done
)

# As root everything a test needs is installed and the print server runs: a test that skips
# has lost what it tests, and fails the run.
suite() {
    local log
    log=$(mktemp)
    "$@" | tee "$log"
    local status=${PIPESTATUS[0]}
    if [[ $status -eq 0 && $(id -u) -eq 0 ]] && grep -q '(Skipped)' "$log"; then
        echo "Some tests were skipped although everything was installed." >&2
        status=1
    fi
    rm -f "$log"
    return "$status"
}

echo "== Test suite"
suite ctest --test-dir build --output-on-failure

echo "== The spooler under ThreadSanitizer"
suite ctest --test-dir build-tsan --output-on-failure

echo "== Fuzz smoke runs"
scripts/fuzz.sh

echo "== Test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    suite ctest --test-dir build-asan --output-on-failure
