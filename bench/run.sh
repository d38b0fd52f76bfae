#!/usr/bin/env bash
# Builds and runs the core benchmarks and the ETA latency measurement.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-native.sh
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target core_bench >/dev/null
build/native/bench/core_bench --benchmark_min_time=0.2
bench/eta-latency.sh
