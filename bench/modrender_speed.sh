#!/usr/bin/env bash
# Times the offline renderer on a long generated 4-channel module and on the
# soundtrack: median wall time of several runs, and the speed in x realtime.
#
# usage: bench/modrender_speed.sh [BUILD_DIR] [RUNS] [MODULE]
#   BUILD_DIR  a configured build tree (default build); modrender and
#              make_long_module are built there if missing
#   RUNS       timed runs per module (default 5)
#   MODULE     an extra module to time
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-5}
extra=${3:-}
cmake --build "$build" --target modrender make_long_module >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_long_module" "$work/long.mod" 96
modules=("$work/long.mod")
[ -f "$build/data/zentaro.mod" ] && modules+=("$build/data/zentaro.mod")
[ -n "$extra" ] && modules+=("$extra")

# Median wall time in seconds of RUNS runs of the command.
median_time() {
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')")
    done
    printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

for module in "${modules[@]}"; do
    "$build/tools/modrender" "$module" "$work/out.wav" >/dev/null 2>&1
    audio=$(awk -v b="$(stat -c %s "$work/out.wav")" 'BEGIN { printf "%.1f", (b - 44) / 88200 }')
    took=$(median_time "$build/tools/modrender" "$module" "$work/out.wav")
    printf '%-14s %7.1f s of audio in %.3f s (median of %d): %.0fx realtime\n' \
        "$(basename "$module")" "$audio" "$took" "$runs" "$(awk -v a="$audio" -v t="$took" 'BEGIN { print a / t }')"
done
