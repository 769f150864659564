#!/usr/bin/env bash
# Times the offline renderer on a long generated 4-channel module and on the
# soundtrack: median wall and CPU time of several runs, and the speed in x
# realtime (by CPU time).
# When Debian's xmp is installed, it renders the same modules (mono, 16-bit
# 44.1 kHz, no interpolation, to a WAV file) as a peer, and the ratio of the
# two speeds is printed.
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

# Median wall time and median CPU time (user + system) in seconds of RUNS
# runs of the command, as "WALL CPU". CPU time is steadier on a shared machine.
median_times() {
    local walls=() cpus=() TIMEFORMAT='%3R %3U %3S' wall user sys
    for _ in $(seq "$runs"); do
        read -r wall user sys < <({ time "$@" >/dev/null 2>&1; } 2>&1)
        walls+=("$wall")
        cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')")
    done
    echo "$(median "${walls[@]}") $(median "${cpus[@]}")"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# Seconds of audio in a 16-bit mono 44.1 kHz WAV file.
audio_seconds() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", (b - 44) / 88200 }'; }

peer=$(command -v xmp || true)
[ -n "$peer" ] || echo "(xmp not installed: no peer timing; apt-get install xmp to add it)"
# "NAME  AUDIO s of audio in WALL s, CPU CPU s (median of RUNS): SPEEDx realtime"
report() {
    printf '%-14s %7.1f s of audio in %.3f s, CPU %.3f s (median of %d): %.0fx realtime\n' \
        "$1" "$2" "$3" "$4" "$runs" "$(awk -v a="$2" -v t="$4" 'BEGIN { print a / t }')"
}

peer=$(command -v xmp || true)
[ -n "$peer" ] || echo "(xmp not installed: no peer timing; apt-get install xmp to add it)"
for module in "${modules[@]}"; do
    "$build/tools/modrender" "$module" "$work/out.wav" >/dev/null 2>&1
    audio=$(audio_seconds "$work/out.wav")
    read -r took cpu < <(median_times "$build/tools/modrender" "$module" "$work/out.wav")
    report "$(basename "$module")" "$audio" "$took" "$cpu"
    [ -n "$peer" ] || continue
    xmp_render=("$peer" -q --norc --nocmd -m -i nearest -o "$work/xmp.wav" "$module")
    "${xmp_render[@]}" >/dev/null 2>&1 || { echo "  xmp could not render $(basename "$module")"; continue; }
    xmp_audio=$(audio_seconds "$work/xmp.wav")
    read -r xmp_took xmp_cpu < <(median_times "${xmp_render[@]}")
    report "  xmp" "$xmp_audio" "$xmp_took" "$xmp_cpu"
    printf '  modrender is %.2fx as fast as xmp (audio seconds per CPU second)\n' \
        "$(awk -v a="$audio" -v t="$cpu" -v b="$xmp_audio" -v u="$xmp_cpu" 'BEGIN { print (a / t) / (b / u) }')"
done
