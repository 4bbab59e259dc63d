#!/usr/bin/env bash
# Launch to first frame, the show against an empty GLUT window, in one interleaved run
# (show, empty, show, empty, ...) in an Xvfb of its own, so that both see the same load.
# Prints the two medians, their ratio (the budget: at most 1.5), the medians of the
# show's start-up steps and of the pictures' loading steps (bench_pictures, run apart).
# Needs a built tree (bench_startup, bench_floor, bench_pictures, build/show).
# With "instructions" as third argument, prints instead the instructions that each of the
# two takes from launch to exit, under callgrind (the same every run, whatever the load).
# usage: bash bench/startup.sh [build folder] [runs] [instructions]
#        (default build/, 15 runs each)
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${2:-15}
show=$build/show
bench=$build/bench

work=$(mktemp -d)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "startup.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$work/display")

launch_show() {
  (cd "$show" && LAUNCH_NS=$(date +%s%N) SDL_AUDIODRIVER=dummy exec "$bench/bench_startup" -window)
}
launch_floor() { (cd "$show" && LAUNCH_NS=$(date +%s%N) exec "$bench/bench_floor"); }

if [ "${3:-}" = instructions ]; then
  instructions() {  # program [arguments]: millions of instructions, all threads
    (cd "$show" && SDL_AUDIODRIVER=dummy valgrind --tool=callgrind --callgrind-out-file="$work/cg" "$@") \
      >/dev/null 2>&1
    callgrind_annotate "$work/cg" | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); printf "%.1f", $1 / 1e6}'
  }
  show_ir=$(instructions "$bench/bench_startup" -window)
  floor_ir=$(instructions "$bench/bench_floor")
  printf "instructions, launch to exit after the first frame: show %s M, empty window %s M, ratio %.2f\n" \
    "$show_ir" "$floor_ir" "$(awk -v a="$show_ir" -v b="$floor_ir" 'BEGIN {print a / b}')"
  exit 0
fi

launch_show >/dev/null  # one of each to warm the caches
launch_floor >/dev/null
for _ in $(seq "$runs"); do
  launch_show >>"$work/show"
  launch_floor >>"$work/floor"
done
for _ in $(seq "$runs"); do (cd "$show" && "$bench/bench_pictures"); done >"$work/pictures"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
step() { awk -v k="$1" '$1 == k {print $2}' "$work/${2:-show}" | median; }
show_ms=$(step launch_to_first_frame_ms)
floor_ms=$(step floor_launch_to_first_frame_ms floor)
printf "launch to first frame, median of %d interleaved runs: show %.1f ms, empty window %.1f ms\n" \
  "$runs" "$show_ms" "$floor_ms"
printf "ratio %.2f (budget 1.5)\n" "$(awk -v a="$show_ms" -v b="$floor_ms" 'BEGIN {print a / b}')"
printf "steps: music %.1f / window and GL %.1f / pictures %.1f / scroller %.1f / first frame %.1f ms\n" \
  "$(step music_ms)" "$(step display_ms)" "$(step images_ms)" "$(step scroller_ms)" "$(step first_frame_ms)"
printf "pictures apart: %.1f ms, of which reading %.1f / inflating and rows %.1f / gamma %.1f / padding %.1f / upload %.1f ms\n" \
  "$(step pictures_ms pictures)" "$(step reading_ms pictures)" "$(step decoding_ms pictures)" \
  "$(step gamma_ms pictures)" "$(step padding_ms pictures)" "$(step upload_ms pictures)"
