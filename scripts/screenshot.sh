#!/usr/bin/env bash
# Takes docs/screenshot.png: the real program on a virtual X screen (Xvfb), showing a small
# sample object file, captured with ImageMagick's `import`.
#
#   scripts/screenshot.sh [OUT.png]        (BUILD=build by default; needs keledit and test_app)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}
out=${1:-$top/docs/screenshot.png}
program=$build/src/app/keledit
tests=$build/tests/test_app

for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
for file in "$program" "$tests"; do
  [ -x "$file" ] || { echo "screenshot: $file is not built (cmake --build $build)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The sample is written by a test of the program's own, which only runs when asked for.
KEL_SAMPLE_OUT=$work/sample.kel QT_QPA_PLATFORM=offscreen "$tests" \
  --gtest_also_run_disabled_tests --gtest_filter='SampleFile.DISABLED_Write' >/dev/null

cat >"$work/capture.sh" <<'SH'
set -euo pipefail
program=$1 sample=$2 shot=$3
unset QT_QPA_PLATFORM
# The window at its first-run size and place, whatever the user's own settings say; no copy of
# unsaved changes from the user's own work is offered.
export XDG_CONFIG_HOME=$(dirname "$sample")/config XDG_DATA_HOME=$(dirname "$sample")/data
SDL_AUDIODRIVER=dummy "$program" "$sample" 2>/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(timeout 20 xdotool search --sync --onlyvisible --name 'sample\.kel' | head -n 1)
# Rest the pointer on a tool-box button, so the status bar shows its hint.
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove --sync $((X + 58)) $((Y + 180))
sleep 1
import -window "$wid" "$shot"
SH
mkdir -p "$(dirname "$out")"
xvfb-run -a -s '-screen 0 1024x768x24' bash "$work/capture.sh" "$program" "$work/sample.kel" "$out"
echo "screenshot: wrote $out"
