#!/usr/bin/env bash
# The fixed-function layer's cost: per section, the median frame time of
# periodica-capture --profile drawing through the layer on OpenGL ES against
# drawing with OpenGL 1.x, on this machine in one run. The two are profiled
# in turn, RUNS times each (default 1), and each side's medians are the
# median over its runs. The goal is a ratio of at most 1.25 in every section.
# Wall-clock times: run it on a quiet machine.
#
# usage: bench/es_frame_time.sh BUILD_DIR [RUNS] [extra periodica-capture options]
set -euo pipefail

build=$(cd "${1:?usage: es_frame_time.sh BUILD_DIR [RUNS] [options]}" && pwd)
runs=${2:-1}
shift $(( $# >= 2 ? 2 : 1 ))
capture="$build/capture/periodica-capture"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in $(seq "$runs"); do
  for way in gl es; do
    flag=""; [ "$way" = es ] && flag="--es"
    "$capture" $flag --data "$build/data" --profile "$@" >"$work/$way.$run.txt"
    echo "run $run through $way done" >&2
  done
done

# Section rows look like "1300-1499      921       19.86       63.92  over 16.7".
awk '
  FNR == 1 { way = (FILENAME ~ /\/es\./) ? "es" : "gl" }
  $1 ~ /^[0-9]+-[0-9]+$/ && $3 != "-" {
    if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 }
    list[way, $1] = list[way, $1] " " $3
  }
  function median(text,   v, k, i, j, t) {
    k = split(text, v, " ")
    for (i = 2; i <= k; ++i) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return k % 2 ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2
  }
  END {
    printf "%-11s %14s %14s %8s\n", "positions", "OpenGL 1.x ms", "layer on ES ms", "ratio"
    over = 0
    for (i = 1; i <= n; ++i) {
      s = order[i]; g = median(list["gl", s]); e = median(list["es", s])
      r = g > 0 ? e / g : 0
      if (r > 1.25) ++over
      printf "%-11s %14.2f %14.2f %8.2f%s\n", s, g, e, r, (r > 1.25 ? "  over 1.25" : "")
    }
    printf "%d section(s) over 1.25x\n", over
  }
' "$work"/gl.*.txt "$work"/es.*.txt
