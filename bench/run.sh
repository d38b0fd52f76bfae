#!/usr/bin/env bash
# Builds and runs the core benchmarks and the ETA latency measurement.
#   BUILD_DIR   native build folder (default build/native)
#   BUILD_JOBS  parallel build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/native}
scripts/setup-native.sh
cmake --preset native -B "$build" >/dev/null
cmake --build "$build" -j "${BUILD_JOBS:-2}" --target core_bench >/dev/null
"$build/bench/core_bench" --benchmark_min_time=0.2
bench/eta-latency.sh
