#!/usr/bin/env bash
# Runs the real demo binary the way a person does, under Xvfb, and checks
# what it shows, plays and prints.
#   whole_program_run.sh SCENARIO BUILD_DIR [X11_CLOSE_TOOL [AUDIO_TAP_LIBRARY]]
# Scenarios:
#   full-run    ends by itself after position 1920 with status 0; stdout is
#               exactly the menu; the sound SDL was handed equals modrender's;
#               screenshots of three sections are not blank and differ
#   silent      no sound card: says it plays silently, still ends by itself
#   controls    a key press does not end it; a click does; closing the window does
#   fullscreen  without -w it opens full screen and ends on a click
set -u
scenario="$1"
build_dir="$(cd "$2" && pwd)"
close_tool="${3:-}"
audio_tap="${4:-}"
[ -n "$audio_tap" ] && audio_tap="$(cd "$(dirname "$audio_tap")" && pwd)/$(basename "$audio_tap")"
[ -n "$close_tool" ] && close_tool="$(cd "$(dirname "$close_tool")" && pwd)/$(basename "$close_tool")"
binary="$build_dir/periodica"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; [ -n "${KEEP_WORK:-}" ] && cp -r "$work" "$KEEP_WORK"; rm -rf "$work"' EXIT
report="$scenario"
source "$(dirname "${BASH_SOURCE[0]}")/script_checks.sh"
convert_tool=/usr/bin/convert
[ -x "$convert_tool" ] || convert_tool=convert

# Inside Xvfb: run the demo from the build tree (where data/ is generated).
in_xvfb() {
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$wait_for_definition$1"
}

# Waits up to $2 seconds for child $1 to end and writes its status, or
# "running", to file $3 (not through $(...): a subshell can't wait for it).
# Defined inside each snippet: xvfb-run's /bin/sh drops exported functions.
wait_for_definition='
wait_for() {
  local pid="$1" limit="$2" out="$3" waited=0
  while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt "$limit" ]; do sleep 1; waited=$((waited + 1)); done
  if kill -0 "$pid" 2>/dev/null; then echo running >"$out"; else wait "$pid"; echo $? >"$out"; fi
}
'

program_lines() {  # lines the program itself wrote to stderr
  grep '^periodica' "$1" || true
}

case "$scenario" in
full-run)
  [ -f "$audio_tap" ] || { echo "no audio tap library given"; exit 1; }
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" AUDIO_TAP_FILE="$work/handed.raw"
  export WORK="$work" BINARY="$binary" CONVERT="$convert_tool" TAP="$audio_tap"
  # Screenshots 20 s, 62 s and 105 s after the sound starts (opening rings,
  # sprite tunnel, twisted tube); the disk driver plays in real time.
  in_xvfb '
    cd "$(dirname "$BINARY")"
    start=$(date +%s)
    LD_PRELOAD="$TAP" "$BINARY" -w >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" </dev/null &
    pid=$!
    while kill -0 $pid 2>/dev/null && [ ! -s "$SDL_DISKAUDIOFILE" ]; do sleep 0.1; done
    sound_start=$(date +%s.%N)
    for seconds in 20 62 105; do
      while kill -0 $pid 2>/dev/null; do
        awk -v a="$sound_start" -v b="$(date +%s.%N)" -v s=$seconds "BEGIN { exit !(b - a >= s) }" && break
        sleep 0.2
      done
      xwd -root -silent | "$CONVERT" xwd:- "$WORK/shot_$seconds.png"
    done
    wait_for $pid 240 "$WORK/status.txt"
    echo $(( $(date +%s) - start )) >"$WORK/elapsed.txt"
    kill $pid 2>/dev/null
  '
  status=$(cat "$work/status.txt")
  elapsed=$(cat "$work/elapsed.txt")
  check "ends by itself with status 0 (status $status after $elapsed s)" [ "$status" = 0 ]
  # A device opened with another layout than the mono stream plays it too fast.
  check "paced by the sound card: about 148 s (took $elapsed s)" [ "$elapsed" -ge 140 ]
  printf 'Select your sound device:\n0 - None\n1 - 8-bit 22kHz\n2 - 16-bit 44kHz\n' >"$work/menu.txt"
  check "standard output is exactly the four menu lines" cmp -s "$work/stdout.txt" "$work/menu.txt"
  check "nothing from the program on standard error: $(program_lines "$work/stderr.txt")" \
    [ -z "$(program_lines "$work/stderr.txt")" ]
  bytes=$(stat -c %s "$work/handed.raw" 2>/dev/null || echo 0)
  seconds=$((bytes / 88200))
  check "the sound lasts past position 1920 (${seconds} s)" [ "$seconds" -ge 147 ]
  "$build_dir/tools/modrender" "$build_dir/data/zentaro.mod" "$work/reference.wav" --seconds $((seconds + 2)) >/dev/null 2>&1
  tail -c +45 "$work/reference.wav" >"$work/reference.raw"
  check "the sound the program handed SDL equals modrender's, from the first sample ($bytes bytes)" \
    cmp -s -n "$bytes" "$work/handed.raw" "$work/reference.raw"
  # What the disk driver wrote is that sound after SDL's own conversion: the
  # same samples, mono or duplicated into stereo, within one step of rounding,
  # after whatever silence SDL wrote while playback was still paused.
  check "SDL played that sound" /usr/bin/python3 - "$work/sound.raw" "$work/handed.raw" <<'PYTHON'
import array, sys
device, handed = array.array("h"), array.array("h")
device.frombytes(open(sys.argv[1], "rb").read())
handed.frombytes(open(sys.argv[2], "rb").read())
if len(device) > 1 and all(device[i] == device[i + 1] for i in range(0, min(len(device), 200000) - 1, 2)):
    device = device[0::2]
first = next((i for i, v in enumerate(handed) if v), None)
start = next((i for i, v in enumerate(device) if v), None)
if first is None or start is None:
    sys.exit(1)
device, handed = device[start:], handed[first:]
count = min(len(device), len(handed))
sys.exit(0 if count > 44100 * 140 and all(abs(device[i] - handed[i]) <= 1 for i in range(count)) else 1)
PYTHON
  for shot in 20 62 105; do
    mean=$("$convert_tool" "$work/shot_$shot.png" -colorspace gray -format '%[fx:mean]' info: 2>/dev/null || echo 0)
    check "screenshot at ${shot} s is not blank (mean $mean)" awk -v m="$mean" 'BEGIN { exit !(m > 0.01) }'
  done
  for pair in "20 62" "62 105" "20 105"; do
    set -- $pair
    difference=$(compare -metric RMSE "$work/shot_$1.png" "$work/shot_$2.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    check "screenshots at $1 s and $2 s differ (RMSE $difference)" awk -v d="$difference" 'BEGIN { exit !(d > 0.02) }'
  done
  ;;
silent)
  export SDL_AUDIODRIVER=no_such_audio_driver WORK="$work" BINARY="$binary"
  in_xvfb '
    cd "$(dirname "$BINARY")"
    start=$(date +%s)
    "$BINARY" -w >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" </dev/null &
    pid=$!
    wait_for $pid 240 "$WORK/status.txt"
    echo $(( $(date +%s) - start )) >"$WORK/elapsed.txt"
    kill $pid 2>/dev/null
  '
  status=$(cat "$work/status.txt")
  elapsed=$(cat "$work/elapsed.txt")
  check "ends by itself with status 0 (status $status after $elapsed s)" [ "$status" = 0 ]
  check "paced by the timer: about 148 s (took $elapsed s)" [ "$elapsed" -ge 140 ]
  check "announces once that it plays silently: $(program_lines "$work/stderr.txt")" \
    [ "$(program_lines "$work/stderr.txt" | grep -c -i silent)" -eq 1 ]
  ;;
controls)
  # Interaction waits for the demo's window to show (a loaded machine may be
  # slow to start it) rather than for a fixed time.
  [ -x "$close_tool" ] || { echo "no window-close tool given"; exit 1; }
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" WORK="$work" BINARY="$binary" CLOSE="$close_tool"
  in_xvfb '
    cd "$(dirname "$BINARY")"
    "$BINARY" -w >/dev/null 2>&1 </dev/null &
    pid=$!
    timeout 60 xdotool search --sync --onlyvisible --pid $pid >/dev/null; sleep 1
    xdotool mousemove 300 300 key space key Escape key q
    sleep 2
    kill -0 $pid 2>/dev/null && echo running >"$WORK/after_keys.txt"
    xdotool click 1
    wait_for $pid 15 "$WORK/after_click.txt"
    "$BINARY" -w >/dev/null 2>&1 </dev/null &
    pid=$!
    timeout 60 xdotool search --sync --onlyvisible --pid $pid >/dev/null; sleep 1
    "$CLOSE"
    wait_for $pid 15 "$WORK/after_close.txt"
    kill $pid 2>/dev/null
  '
  check "key presses do not end it" [ "$(cat "$work/after_keys.txt" 2>/dev/null)" = running ]
  check "a mouse click ends it with status 0 (got $(cat "$work/after_click.txt"))" [ "$(cat "$work/after_click.txt")" = 0 ]
  check "closing the window ends it with status 0 (got $(cat "$work/after_close.txt"))" [ "$(cat "$work/after_close.txt")" = 0 ]
  ;;
fullscreen)
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" WORK="$work" BINARY="$binary"
  in_xvfb '
    cd "$(dirname "$BINARY")"
    "$BINARY" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" </dev/null &
    pid=$!
    timeout 60 xdotool search --sync --onlyvisible --pid $pid >/dev/null; sleep 2
    kill -0 $pid 2>/dev/null && echo running >"$WORK/opened.txt"
    xdotool mousemove 512 384 click 1
    wait_for $pid 15 "$WORK/status.txt"
  '
  check "opens full screen and keeps running" [ "$(cat "$work/opened.txt" 2>/dev/null)" = running ]
  check "ends on a click with status 0 (got $(cat "$work/status.txt"))" [ "$(cat "$work/status.txt")" = 0 ]
  check "nothing from the program on standard error" [ -z "$(program_lines "$work/stderr.txt")" ]
  ;;
*)
  echo "unknown scenario $scenario"
  exit 2
  ;;
esac
finish
