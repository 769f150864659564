#!/usr/bin/env bash
# The sound's cost on the browser's audio thread: the page's AudioWorklet,
# in headless Chromium, makes the whole show's sound 128-frame quantum by
# quantum (periodica.html?bench=worklet) and reports the microseconds per
# quantum for each 10 s of the show, the busiest first. A quantum lasts
# 2.9 ms at 44100 Hz. Wall-clock times: run it on a quiet machine.
#
# usage: bench/web_worklet_cost.sh [PAGE] [RUNS]   (default build-web/periodica.html, 3 runs)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
page=$(cd "$(dirname "${1:-$here/../build-web/periodica.html}")" && pwd)/$(basename "${1:-periodica.html}")
runs=${2:-3}
[ -f "$page" ] || { echo "web_worklet_cost.sh: $page is missing (make web writes it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in $(seq "$runs"); do
  python3 "$here/../tests/web_console.py" --autoplay /usr/bin/chromium "file://$page?bench=worklet" 8 \
    "$work/shot.png" | grep -o 'the worklet makes.*' | sed "s/^/run $run: /" || {
    echo "web_worklet_cost.sh: the page reported no figure" >&2
    exit 1
  }
done
