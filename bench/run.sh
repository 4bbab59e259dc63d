#!/usr/bin/env bash
# Prints the performance budget as one table: start-up, allocations after start-up, the
# show's own work per frame, frame pacing, and the times of a clean build, the asset
# baking and the test suite. Builds into its own folder (default /tmp/kessivar-bench).
# usage: bash bench/run.sh [build folder]
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=${1:-/tmp/kessivar-bench}
jobs=$(nproc)
rm -rf "$build"
log=$build.log

seconds() { date +%s%N; }
elapsed() { awk -v a="$1" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }'; }

# Clean build: configure, the tools, the baked assets (pictures and music), the rest.
t0=$(seconds)
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1
cmake --build "$build" -j"$jobs" --target kessivar_art synth >>"$log" 2>&1
t1=$(seconds)
cmake --build "$build" -j"$jobs" --target pictures music >>"$log" 2>&1
bake=$(elapsed "$t1")
cmake --build "$build" -j"$jobs" >>"$log" 2>&1
build_total=$(elapsed "$t0")

t0=$(seconds)
(cd "$build" && ctest -j"$jobs" >>"$log" 2>&1) && suite_result=passed || suite_result=FAILED
suite=$(elapsed "$t0")

# A display for the programs that need one; with two cores or more, a second one pinned to
# the last core, to measure frame pacing without the X server competing for the show's.
work=$(mktemp -d)
xvfbs=()
trap 'kill "${xvfbs[@]}" 2>/dev/null; rm -rf "$work"' EXIT
start_xvfb() {  # start_xvfb <name> [prefix command...]: its display number into $work/<name>
  local file=$work/$1; shift
  "$@" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
  xvfbs+=($!)
  for _ in $(seq 50); do [ -s "$file" ] && break; sleep 0.1; done
}
start_xvfb display
export DISPLAY=:$(head -1 "$work/display")
last_cpu=$(( $(nproc) - 1 ))
[ "$last_cpu" -gt 0 ] && start_xvfb pinned taskset -c "$last_cpu"
sleep 0.5
show=$build/show
bench=$build/bench

# Launch to first frame, the show interleaved with an empty window (bench/startup.sh).
bash "$source_dir/bench/startup.sh" "$build" 15 >"$work/startup"
field() {  # field <line prefix> <n>: the nth number on the line of startup.sh that starts so
  awk -v p="$1" -v n="$2" 'index($0, p) == 1 {
    for (i = 1; i <= NF; i++) if ($i ~ /^[0-9.]+$/ && --n == 0) print $i }' "$work/startup"
}

# Allocations after start-up.
alloc=$(cd "$build/tests/hardening" && ./alloc_test 2>&1 | grep -E "show's own code|allocations in " | sed 's/^ *//')
own_allocs=$(sed -n "s/^\([0-9]*\) allocations in the show's own code.*/\1/p" <<<"$alloc")
driver_allocs=$(sed -n "s/.*(\([0-9]*\) elsewhere)/\1/p" <<<"$alloc")

# The show's own instructions per scene frame (do-nothing GL), and its time per frame.
frames=300
(cd "$show" && valgrind --tool=callgrind --toggle-collect='drawScene*' \
  --callgrind-out-file="$work/callgrind.out" "$bench/bench_frame" $frames >/dev/null 2>&1)
total_ir=$(callgrind_annotate "$work/callgrind.out" | awk '/PROGRAM TOTALS/{gsub(",", "", $1); print $1}')
null_ir=$(callgrind_annotate --threshold=100 "$work/callgrind.out" | awk '/nullgl.cpp/{gsub(",", "", $1); s += $1} END {print s + 0}')
own_ir=$(( (total_ir - null_ir) / frames ))
own_us=$(cd "$show" && "$bench/bench_frame" 3000 | awk '/own_cpu_us_per_frame/{print $2}')

# Frame pacing over 3000 scene frames in Xvfb: of three runs, the one with the median
# p99_over_median, as one line of "key value" pairs.
pacing() {  # pacing <display> [prefix command...]
  local display=$1; shift
  for _ in 1 2 3; do
    (cd "$show" && DISPLAY=$display SDL_AUDIODRIVER=dummy "$@" "$bench/bench_pacing" -window) | tr '\n' ' '
    echo
  done | awk '{for (i = 1; i < NF; i += 2) if ($i == "p99_over_median") print $(i + 1), $0}' |
    sort -n | sed -n '2s/^[^ ]* //p'
}
pacing "$DISPLAY" >"$work/pacing"
[ "$last_cpu" -gt 0 ] && pacing ":$(head -1 "$work/pinned")" taskset -c "0-$((last_cpu - 1))" >"$work/pacing_pinned"
get() {  # get <key> [file]
  awk -v k="$1" '{for (i = 1; i < NF; i += 2) if ($i == k) print $(i + 1)}' "$work/${2:-pacing}" 2>/dev/null
}

cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -1)
echo
echo "Machine: $cpu, $(nproc) cores, $(awk '/MemTotal/{printf "%.0f GB", $2 / 1048576}' /proc/meminfo); $(. /etc/os-release; echo "$PRETTY_NAME"); Mesa llvmpipe in Xvfb"
echo
echo "| Measure | Figure | Budget |"
echo "|---|---|---|"
printf "| Launch to first frame, median of 15 interleaved with an empty window's | %.1f ms | |\n" "$(field launch 2)"
printf "| … an empty GLUT window's first frame on this machine (the floor) | %.1f ms | |\n" "$(field launch 3)"
printf "| … the show over the floor | %.2f | ≤ 1.5 |\n" "$(field ratio 1)"
printf "| … of which music / window and GL / the seven pictures / scroller / first frame | %.1f / %.1f / %.1f / %.1f / %.1f ms | |\n" \
  "$(field steps 1)" "$(field steps 2)" "$(field steps 3)" "$(field steps 4)" "$(field steps 5)"
printf "| … the pictures apart: reading / inflating and rows / gamma / padding / upload | %.1f / %.1f / %.1f / %.1f / %.1f ms | |\n" \
  "$(field pictures 2)" "$(field pictures 3)" "$(field pictures 4)" "$(field pictures 5)" "$(field pictures 6)"
printf "| Heap allocations in the show's code over 400 frames | %s (driver: %s) | 0 |\n" "$own_allocs" "$driver_allocs"
printf "| Own instructions per scene frame (callgrind, GL calls excluded) | %s | small |\n" "$own_ir"
printf "| Own CPU time per scene frame (do-nothing GL) | %.1f µs | |\n" "$own_us"
printf "| Frame time median / 99th percentile, 3000 scene frames (median of 3 runs) | %.2f / %.2f ms | |\n" "$(get median_ms)" "$(get p99_ms)"
printf "| 99th percentile over median (longest frame) | %.2f (%.1f ms) | ≤ 1.5 |\n" "$(get p99_over_median)" "$(get max_ms)"
[ -s "$work/pacing_pinned" ] &&
  printf "| … the X server on a core of its own: median / 99th percentile, ratio | %.2f / %.2f ms, %.2f | ≤ 1.5 |\n" \
    "$(get median_ms pacing_pinned)" "$(get p99_ms pacing_pinned)" "$(get p99_over_median pacing_pinned)"
printf "| Build from clean, -j%s (of which asset baking) | %.0f s (%.0f s) | |\n" "$jobs" "$build_total" "$bake"
printf "| Test suite, ctest -j%s (%s) | %.0f s | |\n" "$jobs" "$suite_result" "$suite"
