#!/usr/bin/env bash
# The Mandelbrot reset redraw against gnuplot's png terminal drawing the same
# 100 x 100 heights at 673 x 496, as a depth-ordered pm3d surface with cell
# borders, in one session on one core. A gnuplot frame is the CPU time of a
# session of 41 plots less that of a session of one, over 40, so that
# gnuplot's own start-up is left out; each round times both sessions, then
# BM_RedrawSurface/Mandelbrot (median of 5), and prints the ratio; the last
# line is the median of the rounds' ratios.
#
#   bash bench/gnuplot_frame.sh build [ROUNDS] [CORE]
#
# Needs a Release build of hyt-render and hyt-bench, and gnuplot (package
# gnuplot-nox).
set -euo pipefail
build="$(realpath "$1")"
rounds="${2:-5}"
core="${3:-1}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build/src/cli/hyt-render" --example Mandelbrot --save-hyt "$work/mandelbrot.hyt"
for plots in 1 41; do
  {
    echo "set terminal png size 673,496"
    echo "set output '$work/frame.png'"
    echo "set pm3d depthorder border lc 'black'"
    echo "unset colorbox"
    for _ in $(seq "$plots"); do
      echo "splot '$work/mandelbrot.hyt' binary array=(100,100) format='%float64'" \
        "endian=little with pm3d notitle"
    done
  } >"$work/plots$plots.gp"
done

# CPU seconds (user and system) of a command on the core.
cpu_seconds() {
  local TIMEFORMAT='%3U %3S'
  { time taskset -c "$core" "$@" >/dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }'
}

for round in $(seq "$rounds"); do
  one="$(cpu_seconds gnuplot "$work/plots1.gp")"
  many="$(cpu_seconds gnuplot "$work/plots41.gp")"
  hyt="$(taskset -c "$core" "$build/bench/hyt-bench" \
    --benchmark_filter='^BM_RedrawSurface/Mandelbrot$' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null |
    awk '/_median/ { print $4 }')" # CPU time, ms
  awk -v r="$round" -v one="$one" -v many="$many" -v hyt="$hyt" 'BEGIN {
    frame = (many - one) / 40 * 1000
    printf "round %d: gnuplot %.2f ms a frame, hyt %.3f ms, %.1fx\n", r, frame, hyt, frame / hyt
  }'
done | tee "$work/rounds"
awk '{ print $NF + 0 }' "$work/rounds" | sort -n |
  awk '{ r[NR] = $1 } END { printf "median of %d rounds: %.1fx\n", NR, (r[int((NR + 1) / 2)] + r[int(NR / 2) + 1]) / 2 }'
