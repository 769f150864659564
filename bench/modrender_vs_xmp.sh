#!/usr/bin/env bash
# Times the offline renderer against Debian's xmp on the same long 4-channel
# module (both: mono, 16-bit, 44100 Hz, no interpolation, one pass of the
# song, output to a WAV file) and prints both times and their ratio.
# xmp serves only as a timing reference.
#
# usage: bench/modrender_vs_xmp.sh [BUILD_DIR] [RUNS] [MODULE]
#   BUILD_DIR  a configured build tree (default build-player); modrender and
#              make_long_module are built there if missing
#   RUNS       timed runs per program (default 5); the median is reported
#   MODULE     a module to use instead of the generated one
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-player}
runs=${2:-5}
module=${3:-}

if ! command -v xmp >/dev/null 2>&1; then
    echo "xmp is missing; installing it" >&2
    apt-get install -y xmp >/dev/null || { apt-get update >/dev/null && apt-get install -y xmp >/dev/null; }
fi
cmake --build "$build" --target modrender make_long_module >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$module" ]; then
    module=$work/long.mod
    "$build/bench/make_long_module" "$module" 96
fi

# Median wall time in seconds of RUNS runs of the command.
median_time() {
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc -l)")
    done
    printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

"$build/tools/modrender" "$module" "$work/modrender.wav" >/dev/null
xmp -m -i nearest -f 44100 -o "$work/xmp.wav" "$module" >/dev/null 2>&1
audio_seconds() { echo "($(stat -c %s "$1") - 44) / 88200" | bc -l; }

mine=$(median_time "$build/tools/modrender" "$module" "$work/modrender.wav")
theirs=$(median_time xmp -m -i nearest -f 44100 -o "$work/xmp.wav" "$module")

printf 'module: %s (%d bytes)\n' "$(basename "$module")" "$(stat -c %s "$module")"
printf 'modrender: %.3f s for %.1f s of audio (median of %d)\n' "$mine" "$(audio_seconds "$work/modrender.wav")" "$runs"
printf 'xmp:       %.3f s for %.1f s of audio (median of %d)\n' "$theirs" "$(audio_seconds "$work/xmp.wav")" "$runs"
printf 'modrender is %.2fx as fast as xmp (goal: at least 2x)\n' "$(echo "$theirs / $mine" | bc -l)"
