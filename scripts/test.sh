#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite headless,
# printing through a private print server.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build run test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

if [[ $(id -u) -eq 0 ]]; then
    cups_dir=$(mktemp -d /tmp/quorvel-cups.XXXXXX)
    trap 'scripts/print-server.sh stop "$cups_dir"' EXIT
    CUPS_SERVER=$(scripts/print-server.sh start "$cups_dir")
    export CUPS_SERVER
else
    echo "Not root: the printing tests through a real print server are skipped."
fi

ctest --test-dir build --output-on-failure
