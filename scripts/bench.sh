#!/usr/bin/env bash
# Builds the benchmarks (bench preset), runs them and writes docs/PERFORMANCE.md.
# Extra arguments go to marrowgast_bench, e.g. --benchmark_filter=render.
# BENCH_REPETITIONS (default 5) sets how many times each benchmark runs; the report uses
# the median. Timings on a shared machine are noisy: the report notes the load.
# Where xvfb-run is installed (apt-get install xvfb), the 1,000-object frame is also timed in a
# real window on a virtual X display, in a second run right after the first.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v python3 >/dev/null || { echo "error: the report needs python3 (apt-get install python3)" >&2; exit 1; }
cmake --preset bench -DMARROWGAST_WERROR=ON >/dev/null
cmake --build --preset bench -j 2
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
results=build/bench/results.json
repeated=(--benchmark_repetitions="${BENCH_REPETITIONS:-5}" --benchmark_report_aggregates_only=true
  --benchmark_out_format=json)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
build/bench/bench/marrowgast_bench "${repeated[@]}" --benchmark_out="$results" "$@"
window_results=build/bench/results_window.json
rm -f "$window_results"
if command -v xvfb-run >/dev/null; then
  MARROWGAST_BENCH_WINDOW=1 SDL_VIDEODRIVER=x11 xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/bench/bench/marrowgast_bench "${repeated[@]}" --benchmark_out="$window_results" \
    --benchmark_filter='^render_1000_objects/window/'
else
  echo "note: xvfb-run is not installed, so the window is not timed (apt-get install xvfb)" >&2
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
python3 scripts/bench_report.py "$results" docs/PERFORMANCE.md "$load_before" "$load_after" "$window_results"
echo "wrote docs/PERFORMANCE.md"
