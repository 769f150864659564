#!/usr/bin/env bash
# The real binary at start-up: with no module it exits 1 before the device
# menu; without a usable display it exits 2 with one line naming the problem;
# a module the loader refuses is reported in one line and the demo goes on.
set -u
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No data/ at all: pictures get placeholders, the missing module ends it.
xvfb-run -a -s "-screen 0 1024x768x24" "$binary" -w >stdout.txt 2>stderr.txt </dev/null
status=$?
[ "$status" -eq 1 ] || fail "missing module: status $status, expected 1"
[ ! -s stdout.txt ] || fail "missing module: the menu was printed: $(head -c 200 stdout.txt)"
grep -q "data/velmor.jpg" stderr.txt || fail "missing picture not named on stderr"
grep -q "^periodica: cannot open the module: looked for data/zentaro.mod under the working directory and /.*/share/games/periodica/zentaro.mod$" stderr.txt ||
  fail "missing module: the places looked are not named: $(grep module stderr.txt)"

# No display for the x11 driver: the window can't open.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$binary" -w >stdout.txt 2>stderr.txt </dev/null
status=$?
[ "$status" -eq 2 ] || fail "no display: status $status, expected 2"
grep -q "cannot open a 1024x768 OpenGL window" stderr.txt || fail "no display: message missing: $(cat stderr.txt)"
[ ! -s stdout.txt ] || fail "no display: something on stdout"
[ "$(grep -c . stderr.txt)" -eq 1 ] || fail "no display: expected one line on stderr, got: $(cat stderr.txt)"

# A module the loader refuses: its reason on one line, and the demo goes on
# (at position 0, where nothing ends it) until it is closed.
mkdir -p data
head -c 2000 /dev/zero >data/zentaro.mod
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$0" -w >stdout.txt 2>stderr.txt </dev/null &
  pid=$!
  sleep 4
  kill -0 $pid 2>/dev/null && echo running >state.txt
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
' "$binary"
[ "$(cat state.txt 2>/dev/null)" = running ] || fail "refused module: the demo did not go on"
[ "$(grep -c '^periodica: pt_takemod error: unknown module type!$' stderr.txt)" -eq 1 ] ||
  fail "refused module: reason not on stderr: $(cat stderr.txt)"
[ "$(grep -c . stdout.txt)" -eq 4 ] || fail "refused module: the menu was not printed"

[ "$failures" -eq 0 ] && echo "whole-program start-up: 3 passed, 0 failed" || exit 1
