#!/usr/bin/env bash
# kelplay on a 1920 x 1080 desktop (Xvfb, no compositor: the window is shaped each tick) with 16
# objects of 256 x 256 (8-bit pictures with 1-bit masks, FRAMES frames each, default 4), for
# SECONDS_TO_RUN (default 20) seconds: its share of one core (user + system time over the run) and
# its peak memory, whole and above the same program playing 16 objects of 1 x 1 pictures, against
# the file's picture memory (the file's size: pictures are all but a few hundred bytes of it).
#
#   bench/run_stage_bench.sh BUILD_DIR
#
# Targets: ≤ 15 % of one core; memory above the baseline ≤ 2 × the file's pictures. Exits 1 when
# a target is missed.
set -u
if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$1
seconds=${SECONDS_TO_RUN:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null' EXIT
frames=${FRAMES:-4}
"$build/bench/make_stage_file" "$work/big.kel" 16 256 "$frames" || exit 1
"$build/bench/make_stage_file" "$work/small.kel" 16 1 "$frames" || exit 1

n=$(( (RANDOM % 400) + 500 ))
Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done

# Prints "cpu_seconds peak_kb" of one run.
run() {
  DISPLAY=":$n" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy /usr/bin/time -f "%U %S %M" -o "$work/time" \
    timeout -s TERM "$seconds" "$build/tools/kelplay/kelplay" "$1" --seed 1 >/dev/null 2>&1
  tail -n 1 "$work/time" | awk '{ printf "%.2f %d\n", $1 + $2, $3 }'
}
read -r cpu peak < <(run "$work/big.kel")
read -r cpu0 peak0 < <(run "$work/small.kel")
pictures=$(( $(stat -c %s "$work/big.kel") / 1024 ))
share=$(awk -v c="$cpu" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * c / s }')
above=$(( peak - peak0 ))
ratio=$(awk -v a="$above" -v p="$pictures" 'BEGIN { printf "%.2f", a / p }')
whole=$(awk -v a="$peak" -v p="$pictures" 'BEGIN { printf "%.2f", a / p }')
echo "kelplay, 16 objects of 256 x 256 ($frames frames) on 1920 x 1080, ${seconds} s:"
echo "  CPU ${cpu} s = ${share} % of one core (target <= 15 %)"
echo "  peak RSS ${peak} KB = ${whole} x the file's pictures; with 1 x 1 pictures ${peak0} KB (CPU ${cpu0} s)"
echo "  above that: ${above} KB = ${ratio} x the file's pictures (${pictures} KB; target <= 2)"
awk -v s="$share" -v r="$ratio" 'BEGIN { exit !(s <= 15 && r <= 2) }'
