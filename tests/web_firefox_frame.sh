#!/usr/bin/env bash
# Screenshots a ?frame= page in Debian's Firefox: a 1024x768 kiosk window on
# its own 1024x768 Xvfb screen, shot with ImageMagick once the page says
# "periodica: frame drawn" on the console (which a profile preference sends
# to standard output).
#
# usage: web_firefox_frame.sh URL OUT.png [SECONDS]   (waits at most SECONDS, default 300)
set -euo pipefail
url=${1:?usage: web_firefox_frame.sh URL OUT.png [SECONDS]}
out=${2:?usage: web_firefox_frame.sh URL OUT.png [SECONDS]}
wait_seconds=${3:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/web_firefox_profile.sh"
firefox_profile "$work/profile"
export URL="$url" OUT="$out" WORK="$work" WAIT="$wait_seconds"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  firefox-esr --no-remote --profile "$WORK/profile" --width 1024 --height 768 --kiosk "$URL" \
    >"$WORK/console.txt" 2>&1 </dev/null &
  pid=$!
  for _ in $(seq "$WAIT"); do
    grep -q "periodica: frame drawn" "$WORK/console.txt" && break
    sleep 1
  done
  sleep 2  # the drawn frame reaches the screen
  drawn=0
  grep -q "periodica: frame drawn" "$WORK/console.txt" && drawn=1 && import -window root "$OUT"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ "$drawn" = 1 ]
' || { echo "web_firefox_frame.sh: Firefox did not draw the frame within $wait_seconds s" >&2
       grep "console\." "$work/console.txt" >&2 || true; exit 1; }
