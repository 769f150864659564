#!/usr/bin/env bash
# The packaged program run where it was unpacked, as an installed one runs:
#   package_run.sh SCENARIO SOURCE_DIR BUILD_DIR VERSION [X11_CLOSE_TOOL AUDIO_TAP_LIBRARY]
# Scenarios:
#   plays        from a directory with no data/, under Xvfb with SDL's disk
#                audio driver, for a few seconds: all seven pictures loaded,
#                modrender's sound played, status 0 once its window is closed
#   data-search  the working directory's data/ wins over the installed data;
#                with neither, placeholders, a message naming both places and
#                status 1
#   options      --help and --version print and exit 0 without a window;
#                -w and any other argument play
set -u
scenario="$1"
source_dir="$(cd "$2" && pwd)"
build_dir="$(cd "$3" && pwd)"
version="$4"
close_tool="${5:-}"
audio_tap="${6:-}"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; [ -n "${KEEP_WORK:-}" ] && cp -r "$work" "$KEEP_WORK"; rm -rf "$work"' EXIT
report="package $scenario"
source "$(dirname "${BASH_SOURCE[0]}")/script_checks.sh"
program_lines() { grep '^periodica' "$1" || true; }

deb=$("$source_dir/scripts/make-deb" "$build_dir" "$work/deb" 2>"$work/make-deb.err")
[ -f "$deb" ] || { echo "FAIL: make-deb: $(cat "$work/make-deb.err")"; exit 1; }
root="$work/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/games/periodica"
installed="$root/usr/share/games/periodica"
mkdir -p "$work/empty"
export WORK="$work" PROGRAM="$program"

# Runs the program with ARGUMENTS from directory DIR under Xvfb for SECONDS,
# then kills it; "running" in $WORK/state.txt when it was still running.
run_a_while() {  # run_a_while DIR SECONDS ARGUMENT...
  local dir="$1" seconds="$2"
  shift 2
  (cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/ignored.raw" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      "$PROGRAM" "$@" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" </dev/null &
      pid=$!
      sleep "$0"
      kill -0 $pid 2>/dev/null && echo running >"$WORK/state.txt"
      kill $pid 2>/dev/null
      wait $pid 2>/dev/null' "$seconds" "$@")
}

case "$scenario" in
plays)
  [ -x "$close_tool" ] && [ -f "$audio_tap" ] || { echo "no window-close tool or audio tap given"; exit 1; }
  export CLOSE="$close_tool" TAP="$audio_tap"
  # Until the disk driver has written the show's first 5 s, then the window
  # is closed as a window manager closes it.
  (cd "$work/empty" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" AUDIO_TAP_FILE="$work/handed.raw" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      LD_PRELOAD="$TAP" "$PROGRAM" -w >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" </dev/null &
      pid=$!
      waited=0
      while kill -0 $pid 2>/dev/null && [ "$(stat -c %s "$WORK/handed.raw" 2>/dev/null || echo 0)" -lt 441000 ] &&
            [ $waited -lt 600 ]; do
        sleep 0.1
        waited=$((waited + 1))
      done
      "$CLOSE"
      for i in $(seq 1 150); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
      if kill -0 $pid 2>/dev/null; then echo running >"$WORK/status.txt"; kill $pid; else wait $pid; echo $? >"$WORK/status.txt"; fi')
  status=$(cat "$work/status.txt" 2>/dev/null)
  check "closing its window ends it with status 0 (got $status)" [ "$status" = 0 ]
  check "no data/ where it ran" [ ! -e "$work/empty/data" ]
  check "all seven pictures loaded, nothing from the program on standard error: $(program_lines "$work/stderr.txt")" \
    [ -z "$(program_lines "$work/stderr.txt")" ]
  printf 'Select your sound device:\n0 - None\n1 - 8-bit 22kHz\n2 - 16-bit 44kHz\n' >"$work/menu.txt"
  check "standard output is the device menu" cmp -s "$work/stdout.txt" "$work/menu.txt"
  bytes=$(stat -c %s "$work/handed.raw" 2>/dev/null || echo 0)
  check "at least 5 s of sound handed to SDL ($bytes bytes)" [ "$bytes" -ge 441000 ]
  "$build_dir/tools/modrender" "$build_dir/data/zentaro.mod" "$work/reference.wav" --seconds 12 >/dev/null 2>&1
  tail -c +45 "$work/reference.wav" >"$work/reference.raw"
  check "the sound handed to SDL is modrender's, from the first sample ($bytes bytes)" \
    cmp -s -n "$bytes" "$work/handed.raw" "$work/reference.raw"
  check "the disk driver's file is not silent" /usr/bin/python3 - "$work/sound.raw" <<'PYTHON'
import array, sys
samples = array.array("h")
samples.frombytes(open(sys.argv[1], "rb").read())
sys.exit(0 if len(samples) > 44100 and max(abs(v) for v in samples) > 1000 else 1)
PYTHON
  ;;
data-search)
  # The working directory's data/ wins: its module, which the loader
  # refuses, is read instead of the installed one, and its pictures (none
  # there) are looked for beside it.
  mkdir -p "$work/own/data"
  head -c 2000 /dev/zero >"$work/own/data/zentaro.mod"
  run_a_while "$work/own" 4 -w
  check "with a data/ of its own it plays on (the refused module leaves it at position 0)" \
    [ "$(cat "$work/state.txt" 2>/dev/null)" = running ]
  check "the working directory's module was read, not the installed one" \
    grep -q '^periodica: pt_takemod error: unknown module type!$' "$work/stderr.txt"
  check "the working directory's pictures were looked for (7 placeholders)" \
    [ "$(grep -c '^periodica: cannot read picture data/.*\.jpg; showing a placeholder$' "$work/stderr.txt")" -eq 7 ]

  # Neither place has the module.
  rm "$installed/zentaro.mod"
  (cd "$work/empty" && xvfb-run -a -s "-screen 0 1024x768x24" "$program" -w >"$work/stdout.txt" 2>"$work/stderr.txt" </dev/null)
  status=$?
  check "with neither, status 1 (got $status)" [ "$status" -eq 1 ]
  check "with neither, the message names both places: $(grep module "$work/stderr.txt")" grep -qx \
    "periodica: cannot open the module: looked for data/zentaro.mod under the working directory and $installed/zentaro.mod" \
    "$work/stderr.txt"
  check "with neither, a placeholder warning for each of the 7 pictures" \
    [ "$(grep -c '^periodica: cannot read picture data/.*\.jpg; showing a placeholder$' "$work/stderr.txt")" -eq 7 ]
  check "with neither, no device menu" [ ! -s "$work/stdout.txt" ]
  ;;
options)
  # No display: a program that tried to open its window would end with status 2.
  for option in --help --version "-w --help" "x --version"; do
    # shellcheck disable=SC2086
    (cd "$work/empty" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$program" $option \
      >"$work/stdout.txt" 2>"$work/stderr.txt" </dev/null)
    status=$?
    check "'$option' exits 0 without opening a window (got $status)" [ "$status" -eq 0 ]
    check "'$option' prints nothing on standard error" [ ! -s "$work/stderr.txt" ]
    case "$option" in
    *--help)
      check "'$option' prints the usage with -w and the version option" \
        bash -c 'head -1 "$1" | grep -q "^usage: periodica" && grep -q -- "-w " "$1" && grep -q -- "--version" "$1"' - "$work/stdout.txt"
      ;;
    *)
      check "'$option' prints 'periodica $version'" [ "$(cat "$work/stdout.txt")" = "periodica $version" ] ;;
    esac
  done
  # Anything else is the show, as before: -w windowed, others full screen
  # (which flags each gets is the unit tests'; here both must play).
  for arguments in "-w" "-x" "--fullscreen"; do
    rm -f "$work/state.txt"
    # shellcheck disable=SC2086
    run_a_while "$work/empty" 4 $arguments
    check "'$arguments' plays the show" [ "$(cat "$work/state.txt" 2>/dev/null)" = running ]
    check "'$arguments' printed the device menu" [ "$(grep -c . "$work/stdout.txt")" -eq 4 ]
  done
  ;;
*)
  echo "unknown scenario $scenario"
  exit 2
  ;;
esac
finish
