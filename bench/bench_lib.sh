# What the end-to-end benchmark scripts share; sourced, not run.
#
# bench_args "$@": takes BUILD_DIR [FILE.kel] and sets build, file (default /tmp/kel-bench.kel)
# and runs (RUNS, default 7: how many times each command runs, the median counts). Anything
# else prints the usage and exits 2.
bench_args() {
  if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_DIR [FILE.kel]" >&2
    exit 2
  fi
  build=$1
  file=${2:-/tmp/kel-bench.kel}
  runs=${RUNS:-7}
}
