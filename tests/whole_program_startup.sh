#!/usr/bin/env bash
# The real binary at start-up: with no module it exits 1 before the device
# menu; without a usable display it exits 2 with one line naming the problem.
set -u
binary="$1"
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

# No display for the x11 driver: the window can't open.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$binary" -w >stdout.txt 2>stderr.txt </dev/null
status=$?
[ "$status" -eq 2 ] || fail "no display: status $status, expected 2"
grep -q "cannot open a 1024x768 OpenGL window" stderr.txt || fail "no display: message missing: $(cat stderr.txt)"
[ ! -s stdout.txt ] || fail "no display: something on stdout"
[ "$(grep -c . stderr.txt)" -eq 1 ] || fail "no display: expected one line on stderr, got: $(cat stderr.txt)"

[ "$failures" -eq 0 ] && echo "whole-program start-up: 2 passed, 0 failed" || exit 1
