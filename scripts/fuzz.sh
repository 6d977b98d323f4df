#!/usr/bin/env bash
# Builds the card-text fuzz target with clang and runs it from a small seed corpus.
#   scripts/fuzz.sh            smoke run: a fixed number of inputs
#   scripts/fuzz.sh SECONDS    run it for that many seconds instead
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_FUZZ=ON -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_card_text

work=$(mktemp -d /tmp/quorvel-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/card
repeat() { for ((i = 0; i < $1; i++)); do printf "$2"; done; }
# Card texts, UTF-16 little-endian.
repeat 4000 '\x8b\x73' >"$work/card/long-name"          # 王 four thousand times
printf '\x00\xd8\x41\x00\x00\xdc' >"$work/card/lone-surrogates"
{ printf 'a\x00'; repeat 60 '\x01\x03'; } >"$work/card/combining-marks"
printf '\x33\x06\x44\x06\x27\x06\x45\x06' >"$work/card/right-to-left"
printf '\x0a\x00\x09\x00\x00\x00\x1b\x00\x0d\x00' >"$work/card/control-characters"
printf '\x20\x5f\x09\x4e' >"$work/card/two-characters"

if [[ $# -ge 1 ]]; then
    limit=(-max_total_time="$1")
    runs=-runs=-1
else
    limit=()
    runs=-runs=200
fi
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp"
# A smaller quarantine keeps the reported peak memory close to what the targets use.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:quarantine_size_mb=64"
(cd "$work" && "$OLDPWD/build-fuzz/tests/fuzz/fuzz_card_text" "$runs" "${limit[@]}" \
    -max_len=8192 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 card 2>&1 |
    grep -v 'OpenType support missing')
