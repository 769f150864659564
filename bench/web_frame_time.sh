#!/usr/bin/env bash
# The page's main-thread cost per animation frame: the built page plays in
# headless Chromium (tests/web_console.py --autoplay) and every
# requestAnimationFrame callback is timed with performance.now() by a
# wrapper put in before the page's own scripts, labelled with the song
# position the frame drew (window.periodicaDrawn, which the show sets each
# frame; frames that drew nothing are left out). Each section is played from
# its start with ?from=, again until it has had 15 s of frames, with no CPU
# throttling and at 4x (Chromium's CPU throttling). Prints per section the
# median, 95th and 99th percentile milliseconds per frame; then the same
# without the time inside WebGL's buffer uploads, and that time (where the
# main thread waits for a GPU process that is behind); then, from a third,
# traced pass at 1x, the frames' wall time and the main thread's own (thread
# CPU) time in them, which leaves out waits and time the thread was not on a
# core. Also the frames drawn a second (from the median interval between
# drawn frames) and the long intervals: what the audience sees, including the
# GPU's time, which the callbacks' times leave out. Wall-clock times: run it
# on a quiet machine.
#
# With --smooth it plays the whole show once each on a 1024x768 window at
# device pixel ratio 1, at ratio 2, and at ratio 1 with ?resolution=full,
# and prints one table: per section, the frames drawn a second (from the
# median interval between drawn frames), the 95th percentile interval, and
# the drawing buffer's lines (the most frequent, and the fewest).
# WEB_FRAME_TIME_KEEP=DIR keeps the frames' JSON there.
#
# usage: bench/web_frame_time.sh [--screen W,H,R] [--rates "1 4 traced"]
#                                [--only "FIRST ..."] [PAGE]
#        bench/web_frame_time.sh --smooth [PAGE]
#   --screen  the page's viewport (web_console.py's; default 1024,768,1): a
#             small one shows how much of a frame is the software GPU's fill
#   --rates   which passes to run; --only the sections starting at FIRST
#   PAGE      default build-web/periodica.html
set -euo pipefail

screen=1024,768,1
rates="1 4 traced"
only=""
smooth=""
while [ $# -gt 0 ]; do
  case "$1" in
    --screen) screen=$2; shift 2 ;;
    --rates) rates=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --smooth) smooth=1; shift ;;
    *) break ;;
  esac
done
here=$(cd "$(dirname "$0")" && pwd)
page=$(cd "$(dirname "${1:-$here/../build-web/periodica.html}")" && pwd)/$(basename "${1:-periodica.html}")
[ -f "$page" ] || { echo "web_frame_time.sh: $page is missing (make web writes it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each frame as [position drawn, callback ms, animation-frame time, ms of it
# inside WebGL's buffer uploads, the drawing buffer's lines]. Chromium's WebGL hands an upload to the GPU
# process through shared memory; when that process is a frame behind (here
# SwiftShader rasterises on the same CPU cores), the upload waits there for
# it, so that share is the GPU's time showing on the main thread.
wrapper='(function () {
  const own = window.requestAnimationFrame.bind(window);
  window.periodicaFrames = [];
  let uploadMs = 0;
  [window.WebGLRenderingContext, window.WebGL2RenderingContext].forEach(function (type) {
    if (!type) return;
    ["bufferData", "bufferSubData"].forEach(function (name) {
      const call = type.prototype[name];
      type.prototype[name] = function () {
        const started = performance.now();
        try {
          return call.apply(this, arguments);
        } finally {
          uploadMs += performance.now() - started;
        }
      };
    });
  });
  window.requestAnimationFrame = function (callback) {
    return own(function (time) {
      window.periodicaDrawn = -1;
      uploadMs = 0;
      const started = performance.now();
      callback(time);
      const canvas = document.getElementById("canvas");
      window.periodicaFrames.push([window.periodicaDrawn, performance.now() - started, time, uploadMs,
                                   canvas ? canvas.height : 0]);
      performance.mark("periodica-frame " + window.periodicaDrawn);
      performance.clearMarks();
    });
  };
})();'

# The trace of a run as [position drawn, wall ms, thread ms] per frame: each
# animation-frame task on the page's main thread with the mark its callback
# left. Thread time is what the main thread itself ran; the rest of the wall
# time it waited, or waited for a core.
thread_times() {
  python3 -c '
import json, sys
events = json.load(open(sys.argv[1]))["traceEvents"]
frames = [e for e in events if e.get("name") == "FireAnimationFrame" and e.get("ph") == "X" and "tdur" in e]
marks = sorted((e["ts"], e["name"].split()[1]) for e in events if e.get("name", "").startswith("periodica-frame "))
frames.sort(key=lambda e: e["ts"])
out, m = [], 0
for f in frames:
    while m < len(marks) and marks[m][0] < f["ts"]:
        m += 1
    if m < len(marks) and marks[m][0] <= f["ts"] + f["dur"]:
        out.append([int(marks[m][1]), f["dur"] / 1000, f["tdur"] / 1000])
json.dump(out, open(sys.argv[2], "w"))' "$@"
}

# Seconds of frames a run gave positions first..last: the span from the
# first such frame to the last.
covered() {
  python3 -c '
import json, sys
frames = [f for f in json.load(open(sys.argv[1])) if int(sys.argv[2]) <= f[0] <= int(sys.argv[3])]
print((frames[-1][2] - frames[0][2]) / 1000 if frames else 0)' "$@"
}

# The sections measured, by their first position, and the seconds of a run
# of the page from there (?from=, none for the show's start), repeated until
# the section is covered. Their last positions come from the show's one
# table of sections, app/sections.h.
measured='0 34
900 26
1300 26
1500 17
1600 32
1861 13'
last_of() {
  sed -n -E "s/^ *\{$1, ([0-9]+), \".*/\1/p" "$here/../app/sections.h"
}
sections=""
while read -r first seconds; do
  last=$(last_of "$first")
  [ -n "$last" ] || { echo "web_frame_time.sh: no section starts at $first in app/sections.h" >&2; exit 1; }
  sections+="$first $last $first $seconds"$'\n'
done <<<"$measured"

# --smooth: the whole show in each setup, one table.
if [ -n "$smooth" ]; then
  all_sections=$(sed -n -E 's/^ *\{([0-9]+), ([0-9]+), ".*/\1 \2/p' "$here/../app/sections.h")
  for setup in "ratio1 1 autoplay" "ratio2 2 autoplay" "full 1 autoplay&resolution=full"; do
    read -r label ratio query <<<"$setup"
    out="$work/smooth.$label.json"
    echo "the whole show at ratio $ratio, ?$query" >&2
    python3 "$here/../tests/web_console.py" --autoplay --screen "1024,768,$ratio" --before "$wrapper" /usr/bin/chromium \
      "file://$page?$query" 160 "$work/shot.png" "159>$out=JSON.stringify(window.periodicaFrames)" >"$work/console.txt" || {
      echo "web_frame_time.sh: the page did not run:" >&2
      cat "$work/console.txt" >&2
      exit 1
    }
  done
  [ -z "${WEB_FRAME_TIME_KEEP:-}" ] || cp "$work"/smooth.*.json "$WEB_FRAME_TIME_KEEP"/
  python3 - "$work" "$all_sections" <<'PYTHON'
import collections, json, math, os, sys
sections = [tuple(int(n) for n in line.split()) for line in sys.argv[2].splitlines()]
setups = [('ratio 1', 'smooth.ratio1.json'), ('ratio 2', 'smooth.ratio2.json'), ('resolution=full', 'smooth.full.json')]

def rank(values, share):
    values = sorted(values)
    return values[max(0, math.ceil(share * len(values)) - 1)] if values else float('nan')

# Frames a second both from the median interval (what most frames get; a
# multiple of the display's refresh) and from the mean (frames over time).
print('%-10s | %s' % ('positions', ' | '.join('%-35s' % name for name, _ in setups)))
print('%-10s | %s' % ('', ' | '.join('%-35s' % 'fps median mean  p95 ms  lines (fewest)' for _ in setups)))
for first, last in sections:
    cells = []
    for _, name in setups:
        frames = [f for f in json.load(open(os.path.join(sys.argv[1], name))) if f[0] >= 0]
        intervals = [b[2] - a[2] for a, b in zip(frames, frames[1:]) if first <= a[0] <= last and first <= b[0] <= last]
        lines = [f[4] for f in frames if first <= f[0] <= last]
        common = collections.Counter(lines).most_common(1)[0][0] if lines else 0
        median = 1000 / rank(intervals, 0.5) if intervals else float('nan')
        mean = 1000 * len(intervals) / sum(intervals) if intervals else float('nan')
        cells.append('%10.1f %5.1f  %6.1f  %4d (%4d)' % (median, mean, rank(intervals, 0.95), common,
                                                      min(lines) if lines else 0))
    print('%-10s | %s' % ('%d-%d' % (first, last), ' | '.join(cells)))
PYTHON
  exit 0
fi

run=0
# "traced": a third pass at 1x with a trace, kept apart from the first two,
# whose figures the trace's own cost would raise.
for rate in $rates; do
  throttle=$rate trace=()
  [ "$rate" = traced ] && throttle=1 trace=(--trace "$work/trace.json")
  while read -r first last from seconds; do
    [ -z "$only" ] || [[ " $only " == *" $first "* ]] || continue
    query="autoplay"; [ "$from" -gt 0 ] && query="autoplay&from=$from"
    total=0
    for try in 1 2 3 4 5 6 7 8; do
      run=$((run + 1))
      out="$work/$rate.$run.json"
      python3 "$here/../tests/web_console.py" --autoplay --throttle "$throttle" --screen "$screen" --before "$wrapper" \
        "${trace[@]}" /usr/bin/chromium \
        "file://$page?$query" "$seconds" "$work/shot.png" \
        "$((seconds - 1))>$out=JSON.stringify(window.periodicaFrames)" >"$work/console.txt" || {
        echo "web_frame_time.sh: the page did not run:" >&2
        cat "$work/console.txt" >&2
        exit 1
      }
      if [ "$rate" = traced ]; then
        thread_times "$work/trace.json" "$work/$rate.$run.threads"
        rm -f "$work/trace.json"
      fi
      total=$(python3 -c "print($total + $(covered "$out" "$first" "$last"))")
      echo "at ${throttle}x${trace:+, traced,} from $from: $total s of $first-$last" >&2
      python3 -c "import sys; sys.exit(0 if $total >= 15 else 1)" && break
    done
  done <<<"${sections%$'\n'}"
done

python3 - "$work" "$sections" <<'PYTHON'
import glob, json, math, os, sys
sections = [tuple(int(n) for n in line.split()[:2]) for line in sys.argv[2].splitlines()]
times, own_times, upload_times, intervals = {}, {}, {}, {}
for path in glob.glob(os.path.join(sys.argv[1], '*.json')):
    rate = os.path.basename(path).split('.')[0]
    frames = json.load(open(path))
    for position, ms, _, upload_ms, _ in frames:
        for first, last in sections:
            if first <= position <= last:
                times.setdefault((rate, first), []).append(ms)
                own_times.setdefault((rate, first), []).append(ms - upload_ms)
                upload_times.setdefault((rate, first), []).append(upload_ms)
    # From one drawn frame to the next within a section: what the audience
    # sees, which the callbacks' times leave out (the GPU's share above all).
    drawn = [f for f in frames if f[0] >= 0]
    for a, b in zip(drawn, drawn[1:]):
        for first, last in sections:
            if first <= a[0] <= last and first <= b[0] <= last:
                intervals.setdefault((rate, first), []).append(b[2] - a[2])

def rank(values, share):
    values = sorted(values)
    return values[max(0, math.ceil(share * len(values)) - 1)] if values else float('nan')

print('%-10s | %9s | %6s | %6s | %15s | %6s | %6s | %s' %
      ('positions', 'median ms', 'p95', 'p99', 'median ms at 4x', 'p95', 'p99', 'frames 1x + 4x'))
for first, last in sections:
    row = []
    for rate in ('1', '4'):
        t = times.get((rate, first), [])
        row += [rank(t, 0.5), rank(t, 0.95), rank(t, 0.99)]
    counts = '%d + %d' % (len(times.get(('1', first), [])), len(times.get(('4', first), [])))
    print('%-10s | %9.2f | %6.2f | %6.2f | %15.2f | %6.2f | %6.2f | %s' % (('%d-%d' % (first, last),) + tuple(row) + (counts,)))

# Frames a second, and the intervals between drawn frames.
print()
print('%-10s | %25s | %25s' % ('positions', '1x: frames/s, p95/p99 ms', '4x'))
for first, last in sections:
    cells = []
    for rate in ('1', '4'):
        t = intervals.get((rate, first), [])
        cells.append('%6.1f  %7.1f %7.1f' % (1000 / rank(t, 0.5) if t else float('nan'), rank(t, 0.95), rank(t, 0.99)))
    print('%-10s | %25s | %25s' % (('%d-%d' % (first, last),) + tuple(cells)))

# The same frames without their time inside buffer uploads, and that time.
print()
print('%-10s | %21s | %21s | %21s | %21s' % ('positions', 'less uploads: 1x p50/p95/p99', '4x', 'uploads: 1x', '4x'))
for first, last in sections:
    cells = []
    for table in (own_times, upload_times):
        for rate in ('1', '4'):
            t = table.get((rate, first), [])
            cells.append('%6.2f %6.2f %6.2f' % (rank(t, 0.5), rank(t, 0.95), rank(t, 0.99)))
    print('%-10s | %21s | %21s | %21s | %21s' % (('%d-%d' % (first, last),) + tuple(cells)))

# From the traced pass: the frames' wall time as the trace has it, and the
# main thread's own time in them.
walls, threads = {}, {}
for path in glob.glob(os.path.join(sys.argv[1], '*.threads')):
    for position, wall, thread in json.load(open(path)):
        for first, last in sections:
            if first <= position <= last:
                walls.setdefault(first, []).append(wall)
                threads.setdefault(first, []).append(thread)
print()
print('%-10s | %27s | %27s | %s' % ('positions', 'traced 1x: wall p50/p95/p99', 'main thread own p50/p95/p99', 'frames'))
for first, last in sections:
    cells = ['%6.2f %6.2f %6.2f' % (rank(t, 0.5), rank(t, 0.95), rank(t, 0.99))
             for t in (walls.get(first, []), threads.get(first, []))]
    print('%-10s | %27s | %27s | %d' % (('%d-%d' % (first, last),) + tuple(cells) + (len(walls.get(first, [])),)))
PYTHON
