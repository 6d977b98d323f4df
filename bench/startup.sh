#!/usr/bin/env bash
# Start-up time: from launch until the window is mapped under Xvfb, for Quorvel and for a
# bare Qt window of the same size, alternating runs. Prints the medians in milliseconds.
#   bench/startup.sh [build-dir] [runs] [other-quorvel]
# With another Quorvel program (an earlier build, say), it takes turns in the same runs, so
# the two ratios compare under the same load.
set -euo pipefail
build=${1:-build}
runs=${2:-15}
other=${3:-}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
    echo "needs Xvfb and xdotool (apt-get install xvfb xdotool)" >&2
    exit 1
}
number=90
while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
Xvfb :$number -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
logs=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$logs"' EXIT
export DISPLAY=:$number
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done

# Milliseconds from launching $1 until a visible window titled $2 exists.
measure() {
    local start end pid
    start=$(date +%s%N)
    "$1" >/dev/null 2>"$logs/$2.log" &
    pid=$!
    until xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1; do
        kill -0 $pid 2>/dev/null || {
            echo "$1 exited before showing its window:" >&2
            cat "$logs/$2.log" >&2
            exit 1
        }
        (($(date +%s%N) - start < 20000000000)) || { echo "$1 showed no window" >&2; exit 1; }
        sleep 0.002
    done
    end=$(date +%s%N)
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

quorvel=() bare=() others=()
measure "$build/app/quorvel" Quorvel >/dev/null # warm the disk cache for both
measure "$build/bench/bare_window" Bare >/dev/null
[[ -z $other ]] || measure "$other" Quorvel >/dev/null
for _ in $(seq "$runs"); do
    quorvel+=("$(measure "$build/app/quorvel" Quorvel)")
    bare+=("$(measure "$build/bench/bare_window" Bare)")
    [[ -z $other ]] || others+=("$(measure "$other" Quorvel)")
done
q=$(printf '%s\n' "${quorvel[@]}" | median)
b=$(printf '%s\n' "${bare[@]}" | median)
echo "quorvel median ${q} ms, bare window median ${b} ms, ratio $(awk "BEGIN {printf \"%.2f\", $q / $b}")"
if [[ -n $other ]]; then
    o=$(printf '%s\n' "${others[@]}" | median)
    echo "$other median ${o} ms, ratio $(awk "BEGIN {printf \"%.2f\", $o / $b}")"
fi
