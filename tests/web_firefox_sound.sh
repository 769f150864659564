#!/usr/bin/env bash
# Records the sound of the page's ?autoplay&test&print=SECONDS in Debian's
# Firefox: a kiosk window on its own Xvfb screen, sound allowed without a
# click, played into a PulseAudio server of its own with a null sink (with
# no sound device Firefox keeps its audio context suspended). Writes the
# page's recording (the lines it prints after "periodica-test: ") to OUT.
#
# usage: web_firefox_sound.sh URL OUT [SECONDS]   (waits at most SECONDS, default 120)
set -euo pipefail
url=${1:?usage: web_firefox_sound.sh URL OUT [SECONDS]}
out=${2:?usage: web_firefox_sound.sh URL OUT [SECONDS]}
wait_seconds=${3:-120}
work=$(mktemp -d)
source "$(dirname "$0")/web_firefox.sh"
firefox_profile "$work/profile"
cat >>"$work/profile/user.js" <<'EOF2'
user_pref("media.autoplay.default", 0);
user_pref("media.autoplay.blocking_policy", 0);
EOF2

export XDG_RUNTIME_DIR="$work/runtime" PULSE_SERVER="unix:$work/runtime/pulse/native"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load="module-null-sink sink_name=periodica" \
  --load=module-native-protocol-unix 2>"$work/pulseaudio.log" || { echo "web_firefox_sound.sh: pulseaudio did not start:" >&2; cat "$work/pulseaudio.log" >&2; exit 1; }
trap 'pulseaudio --kill 2>/dev/null || true; rm -rf "$work"' EXIT

# Once more when Firefox said nothing at all: on a busy machine its first
# start on a fresh profile has been seen to print nothing in two minutes.
firefox_kiosk "$work" "$url" "periodica-test: end" "$wait_seconds" ||
  { ! grep -q "console\." "$work/console.txt" && firefox_kiosk "$work" "$url" "periodica-test: end" "$wait_seconds"; } || {
  echo "web_firefox_sound.sh: Firefox printed no recording within $wait_seconds s" >&2
  grep "console\." "$work/console.txt" | cut -c1-200 >&2 || tail -5 "$work/console.txt" >&2 || true
  exit 1
}
sed -n 's/^console\.log: "periodica-test: \(.*\)"$/\1/p' "$work/console.txt" >"$out"
