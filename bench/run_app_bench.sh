#!/usr/bin/env bash
# The editor's own figures, each against its target:
#   start    start of keledit to its window shown on a virtual screen (Xvfb)   target < 0.5 s
#   open     opening FILE.kel in the editor: read, display bitmaps of every picture, object 0
#            shown (bench_app_open)                          target: at most 3 x keltool check
#   blocked  the longest time the event loop stood still during that open (no target)
#   peak     peak RSS of that open                           target: under 2 x the file size
#   check    keltool check FILE.kel, the reference for the open
# Builds nothing: build keledit, keltool, bench_app_open and make_bench_file first (a Release
# build), e.g.
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-bench --target keledit keltool bench_app_open make_bench_file
#   bench/run_app_bench.sh build-bench [FILE.kel]
# FILE.kel defaults to /tmp/kel-bench.kel and is generated when missing. RUNS sets how many
# times each command runs (the median counts). Exits 1 when a target is missed.
set -euo pipefail

usage() {
  echo "usage: $0 BUILD_DIR [FILE.kel]" >&2
  exit 2
}
[ $# -ge 1 ] && [ $# -le 2 ] || usage
build=$1
file=${2:-/tmp/kel-bench.kel}
runs=${RUNS:-7}

keledit=$build/src/app/keledit
keltool=$build/tools/keltool/keltool
open_bench=$build/bench/bench_app_open
make_file=$build/bench/make_bench_file
for p in "$keledit" "$keltool" "$open_bench" "$make_file"; do
  [ -x "$p" ] || { echo "missing $p: build it first" >&2; exit 1; }
done
for tool in xvfb-run xdotool /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh)" >&2; exit 1; }
done
[ -f "$file" ] || "$make_file" "$file"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# ---- start-up: from starting the program to its window being mapped on the screen.
cat >/tmp/kel-startup.$$.sh <<'SH'
set -u
keledit=$1 runs=$2
unset QT_QPA_PLATFORM
export SDL_AUDIODRIVER=dummy
for i in $(seq "$runs"); do
  t0=$(($(date +%s%N) / 1000000))
  "$keledit" 2>/dev/null &
  pid=$!
  until xdotool search --onlyvisible --name 'untitled\.kel' >/dev/null 2>&1; do
    # No window within ten seconds: the program failed to start; count it as missed.
    [ $(($(date +%s%N) / 1000000 - t0)) -lt 10000 ] || break
  done
  t1=$(($(date +%s%N) / 1000000))
  echo $((t1 - t0))
  kill $pid
  wait $pid 2>/dev/null || true
done
SH
start_ms=$(xvfb-run -a -s '-screen 0 1024x768x24' bash /tmp/kel-startup.$$.sh "$keledit" "$runs" | median)
rm -f /tmp/kel-startup.$$.sh

# ---- opening the file in the editor, against keltool check of the same file.
check_ms=$(for i in $(seq "$runs"); do
  t0=$(now_ms); "$keltool" check "$file" >/dev/null; t1=$(now_ms); echo $((t1 - t0))
done | median)
# Each run gives its wall time and the longest time the event loop stood still (gui_blocked_ms).
open_runs=$(for i in $(seq "$runs"); do
  QT_QPA_PLATFORM=offscreen "$open_bench" "$file" --benchmark_format=csv 2>/dev/null |
    awk -F, 'NR == 1 { for (c = 1; c <= NF; c++) if ($c == "\"gui_blocked_ms\"") b = c }
             /^"BM_OpenDocument/ { printf "%d %d\n", $3, $b }'
done)
open_ms=$(awk '{ print $1 }' <<<"$open_runs" | median)
blocked_ms=$(awk '{ print $2 }' <<<"$open_runs" | median)
peak_kb=$( { QT_QPA_PLATFORM=offscreen /usr/bin/time -v "$open_bench" "$file" >/dev/null; } 2>&1 |
  awk -F': ' '/Maximum resident set size/ { print $2 }')
file_kb=$(($(stat -c %s "$file") / 1024))

echo "file          $file ($((file_kb / 1024)) MB)"
echo "start         ${start_ms} ms to the window shown (target < 500 ms)"
echo "keltool check ${check_ms} ms"
awk -v o="$open_ms" -v c="$check_ms" 'BEGIN { printf "open          %d ms = %.2f x keltool check (target <= 3)\n", o, o / c }'
echo "GUI blocked   ${blocked_ms} ms: the longest the event loop stood still during the open"
awk -v p="$peak_kb" -v f="$file_kb" 'BEGIN { printf "peak RSS      %d MB = %.2f x the file (target < 2)\n", p / 1024, p / f }'

fail=0
[ "$start_ms" -lt 500 ] || { echo "MISSED: start-up"; fail=1; }
awk -v o="$open_ms" -v c="$check_ms" 'BEGIN { exit !(o <= 3 * c) }' || { echo "MISSED: open"; fail=1; }
awk -v p="$peak_kb" -v f="$file_kb" 'BEGIN { exit !(p < 2 * f) }' || { echo "MISSED: peak memory"; fail=1; }
exit $fail
