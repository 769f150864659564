#!/usr/bin/env bash
# Frame time per section: runs periodica-capture --profile three times and
# prints, per section, the median of the three runs' p99 (and of their
# medians), in milliseconds, so a change can be compared in one run.
# Wall-clock times: run it on a quiet machine, or before and after a change
# back to back.
#
# usage: bench/frame_time.sh BUILD_DIR [extra periodica-capture options]
set -euo pipefail

build=$(cd "${1:?usage: frame_time.sh BUILD_DIR [options]}" && pwd)
shift
capture="$build/capture/periodica-capture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in 1 2 3; do
  "$capture" --data "$build/data" --profile "$@" >"$work/run$run.txt" 2>/dev/null || true
  echo "run $run done" >&2
done

# Section rows look like "1300-1499      921       19.86       63.92  over 16.7".
awk '
  $1 ~ /^[0-9]+-[0-9]+$/ && $3 != "-" {
    if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 }
    p99[$1] = p99[$1] " " $4; med[$1] = med[$1] " " $3
  }
  function middle(list,   v, k) {
    k = split(list, v, " ")
    if (k < 3) return v[1]
    # median of three
    if ((v[1] <= v[2] && v[2] <= v[3]) || (v[3] <= v[2] && v[2] <= v[1])) return v[2]
    if ((v[2] <= v[1] && v[1] <= v[3]) || (v[3] <= v[1] && v[1] <= v[2])) return v[1]
    return v[3]
  }
  END {
    printf "%-11s %12s %12s   %s\n", "positions", "median ms", "p99 ms", "p99 of each run"
    over = 0
    for (i = 1; i <= n; ++i) {
      s = order[i]; p = middle(p99[s])
      if (p + 0 > 16.7) ++over
      printf "%-11s %12.2f %12.2f  %s%s\n", s, middle(med[s]), p, p99[s], (p + 0 > 16.7 ? "  over 16.7" : "")
    }
    printf "%d section(s) over 16.7 ms p99 (median of three runs)\n", over
  }
' "$work"/run1.txt "$work"/run2.txt "$work"/run3.txt
