#!/usr/bin/env bash
# ETA latency over real HTTP: the eight searches of one ETA view against the
# loopback test server holding every reply 300 ms, as a ratio to the time of
# one request (searches one after another would give about 8).
#   BUILD_DIR   native build folder (default build/native)
#   BUILD_JOBS  parallel build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/native}
cmake --preset native -B "$build" >/dev/null
cmake --build "$build" -j "${BUILD_JOBS:-2}" --target unit_tests >/dev/null
for _ in 1 2 3 4 5; do
  "$build/tests/unit_tests" --gtest_filter=RealHttp.TheSearchesOverlap 2>&1 | grep -E '^one request'
done
