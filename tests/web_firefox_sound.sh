#!/usr/bin/env bash
# Records the sound of the page's ?autoplay&test&print=SECONDS in Debian's
# Firefox: a kiosk window on its own Xvfb screen, sound allowed without a
# click, played into a PulseAudio server of its own with a null sink (with
# no sound device Firefox keeps its audio context suspended). Writes the
# page's recording (the lines it prints after "periodica-test: ") to OUT.
#
# usage: web_firefox_sound.sh URL OUT [SECONDS]   (waits at most SECONDS, default 120)
# Status 0; 1 when the page printed no recording; 2 when Firefox printed
# nothing of the page at all (what it and the sound server said goes to
# standard error, as in every failure).
set -euo pipefail
url=${1:?usage: web_firefox_sound.sh URL OUT [SECONDS]}
out=${2:?usage: web_firefox_sound.sh URL OUT [SECONDS]}
wait_seconds=${3:-120}
work=$(mktemp -d)
source "$(dirname "$0")/web_firefox.sh"

export XDG_RUNTIME_DIR="$work/runtime" PULSE_SERVER="unix:$work/runtime/pulse/native"
mkdir -m 700 "$XDG_RUNTIME_DIR"
stop_sound_server() { pulseaudio --kill 2>/dev/null || true; }
trap 'stop_sound_server; rm -rf "$work"' EXIT

# A sound server that answers.
start_sound_server() {
  pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load="module-null-sink sink_name=periodica" \
    --load=module-native-protocol-unix 2>"$work/pulseaudio.log" &&
    timeout 10 pactl info >"$work/pactl.txt" 2>&1
}

# What the run left, on standard error.
tell_what_happened() {
  echo "-- Firefox's output, the last 25 lines:" >&2
  grep -v "periodica-test: [0-9a-z]* [0-9-]* " "$work/console.txt" | tail -25 | cut -c1-200 >&2 || true
  echo "-- the sound server:" >&2
  cat "$work/pulseaudio.log" "$work/pactl.txt" 2>/dev/null | tail -10 >&2 || true
}

if ! start_sound_server; then
  echo "web_firefox_sound.sh: the sound server did not start" >&2
  tell_what_happened
  exit 2
fi
firefox_profile "$work/profile"
cat >>"$work/profile/user.js" <<'PREFS'
user_pref("media.autoplay.default", 0);
user_pref("media.autoplay.blocking_policy", 0);
PREFS
if firefox_kiosk "$work" "$url" "periodica-test: end" "$wait_seconds"; then
  sed -n 's/^console\.log: "periodica-test: \(.*\)"$/\1/p' "$work/console.txt" >"$out"
  exit 0
fi
if grep -q "console\." "$work/console.txt"; then
  echo "web_firefox_sound.sh: the page printed no recording within $wait_seconds s" >&2
  tell_what_happened
  exit 1
fi
echo "web_firefox_sound.sh: Firefox printed nothing of the page within $wait_seconds s" >&2
tell_what_happened
exit 2
