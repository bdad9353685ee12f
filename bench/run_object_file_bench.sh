#!/usr/bin/env bash
# End-to-end figures for the object file against their floors, in one run:
#   floor    read_floor: allocate the file's size and read the file into it
#   check    keltool check FILE          target: at most 1.3 x floor
#   cp       cp FILE OUT
#   rewrite  keltool rewrite FILE OUT    target: at most 1.5 x cp (OUT is new, as cp's is)
#   replace  keltool rewrite FILE OUT over an existing OUT, which is flushed to disk before the
#            rename, against cp FILE OUT over an existing OUT (for comparison only)
#   peak RSS of keltool check            target: at most 1.15 x file size + 20 MB
# Builds nothing: build keltool, read_floor and make_bench_file first (a Release build), e.g.
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-bench --target keltool read_floor make_bench_file
#   bench/run_object_file_bench.sh build-bench [FILE.kel]
# FILE.kel defaults to /tmp/kel-bench.kel and is generated when missing. RUNS sets how many
# times each command runs (the median counts). Exits 1 when a target is missed.
set -euo pipefail
. "$(dirname "$0")/bench_lib.sh"
bench_args "$@"

keltool=$build/tools/keltool/keltool
floor=$build/bench/read_floor
make_file=$build/bench/make_bench_file
for p in "$keltool" "$floor" "$make_file"; do
  if [ ! -x "$p" ]; then
    echo "$0: $p is missing; build the targets keltool read_floor make_bench_file" >&2
    exit 2
  fi
done
[ -x /usr/bin/time ] || { echo "$0: needs /usr/bin/time (Debian package time)" >&2; exit 2; }

if [ ! -f "$file" ]; then
  echo "generating $file"
  "$make_file" "$file"
fi
size=$(stat -c %s "$file")

# Outputs go beside the input so cp and rewrite write to the same file system.
out_dir=$(mktemp -d "$(dirname "$file")/kel-bench-out.XXXXXX")
trap 'rm -rf "$out_dir"' EXIT
out=$out_dir/out.kel

# The input stays in the page cache for every run: the figures compare work, not the disk.
cat "$file" >/dev/null
cat "$file" >/dev/null

# median_seconds PREPARE COMMAND...: runs PREPARE (untimed) and then COMMAND, RUNS times;
# prints the median wall time in seconds. Written data is flushed between runs so one run's
# write-back does not land in the next one's time.
median_seconds() {
  local prepare=$1
  shift
  local times=() i start end
  for ((i = 0; i < runs; i++)); do
    eval "$prepare"
    sync
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($((end - start)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "%.4f\n", t[int((NR + 1) / 2)] / 1e9 }'
}

"$keltool" check "$file" >/dev/null || { echo "$0: $file is not a valid object file" >&2; exit 1; }

t_floor=$(median_seconds : "$floor" "$file")
t_check=$(median_seconds : "$keltool" check "$file")
t_cp=$(median_seconds 'rm -f "$out"' cp "$file" "$out")
t_rewrite=$(median_seconds 'rm -f "$out"' "$keltool" rewrite "$file" "$out")
cmp -s "$file" "$out" || echo "note: the rewritten file differs from the input"
t_cp_replace=$(median_seconds 'cp "$file" "$out"' cp "$file" "$out")
t_replace=$(median_seconds 'cp "$file" "$out"' "$keltool" rewrite "$file" "$out")
rss_kb=$(/usr/bin/time -v "$keltool" check "$file" 2>&1 >/dev/null |
  awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')

awk -v size="$size" -v runs="$runs" -v floor="$t_floor" -v check="$t_check" -v cp="$t_cp" \
  -v rewrite="$t_rewrite" -v replace="$t_replace" -v cp_replace="$t_cp_replace" -v rss="$rss_kb" '
  function verdict(ok) { if (!ok) failed = 1; return ok ? "ok" : "MISSED" }
  BEGIN {
    mb = 1024 * 1024
    printf "file: %.1f MB, median of %d runs\n", size / mb, runs
    printf "  floor (read_floor)   %8.3f s\n", floor
    printf "  keltool check        %8.3f s   %.2f x floor   (target <= 1.30)  %s\n",
      check, check / floor, verdict(check <= 1.3 * floor)
    printf "  cp                   %8.3f s\n", cp
    printf "  keltool rewrite      %8.3f s   %.2f x cp      (target <= 1.50)  %s\n",
      rewrite, rewrite / cp, verdict(rewrite <= 1.5 * cp)
    printf "  cp, replacing        %8.3f s   (OUT exists: cp truncates it)\n", cp_replace
    printf "  rewrite, replacing   %8.3f s   %.2f x cp, replacing (OUT exists: flushed first)\n",
      replace, replace / cp_replace
    limit = 1.15 * size + 20 * mb
    printf "  check peak RSS       %8.1f MB  limit %.1f MB = 1.15 x file + 20 MB  %s\n",
      rss * 1024 / mb, limit / mb, verdict(rss * 1024 <= limit)
    exit failed
  }'
