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
source "$(dirname "$0")/web_firefox.sh"
firefox_profile "$work/profile"
firefox_kiosk "$work" "$url" "periodica: frame drawn" "$wait_seconds" "$out" || {
  echo "web_firefox_frame.sh: Firefox did not draw the frame within $wait_seconds s" >&2
  grep "console\." "$work/console.txt" >&2 || true
  exit 1
}
