#!/usr/bin/env bash
# A session of up to 200 tracks with ETA views (bench/scaling_bench.cpp):
# one more track's compile-and-write and one more ETA view against the
# placefile's size, fitted as time = fixed + slope * size, and the write of a
# 10^4-line placefile of real session lines (target below 5 ms).
#   BUILD_DIR   native build folder (default build/native)
#   BUILD_JOBS  parallel build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/native}
scripts/setup-native.sh
cmake --preset native -B "$build" >/dev/null
cmake --build "$build" -j "${BUILD_JOBS:-2}" --target scaling_bench >/dev/null
json=$(mktemp)
trap 'rm -f "$json"' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Five repetitions; the summary takes the fastest, the one least disturbed by
# whatever else the machine runs.
"$build/bench/scaling_bench" --benchmark_min_time=0.3 --benchmark_repetitions=5 \
    --benchmark_out="$json" --benchmark_out_format=json >/dev/null
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 bench/scaling_summary.py "$json"
