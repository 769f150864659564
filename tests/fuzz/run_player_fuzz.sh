#!/usr/bin/env bash
# Builds the player fuzzer with clang++ (libFuzzer, ASan, UBSan) from the
# player and sound sources, seeds it with generated modules and runs it for
# a bounded time. Any sanitizer report or crash fails the run.
# usage: run_player_fuzz.sh SOURCE_DIR WORK_DIR SECONDS SEED_TOOL
set -euo pipefail
src=$1
work=$2
seconds=$3
seed_tool=$4

mkdir -p "$work"
rm -rf "$work/corpus"
mkdir -p "$work/corpus"
"$seed_tool" "$work/corpus"

# shellcheck disable=SC2046
clang++ -std=c++20 -O2 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -fno-omit-frame-pointer -I"$src" $(pkg-config --cflags sdl) \
    "$src"/player/*.cpp "$src"/sound/*.cpp "$src/tests/fuzz/player_fuzz.cpp" \
    -o "$work/player_fuzz" $(pkg-config --libs sdl)

cd "$work"
./player_fuzz -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 \
    -print_final_stats=1 corpus 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
    echo "player fuzzer: 0 passed, 1 failed"
    exit 1
fi
echo "player fuzzer: 1 passed, 0 failed"
