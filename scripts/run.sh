#!/usr/bin/env bash
# Installs what is missing, builds Quorvel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build run
# A folder of its own, with the tests and benchmarks off: the program alone needs none of
# their tools, and scripts/test.sh keeps its own configuration in build/.
cmake -S . -B build-app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-app --target quorvel
exec build-app/app/quorvel "$@"
