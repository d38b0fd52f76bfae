#!/usr/bin/env bash
# ETA latency over real HTTP: the eight searches of one ETA view against the
# loopback test server holding every reply 300 ms, as a ratio to the time of
# one request (searches one after another would give about 8).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target unit_tests >/dev/null
for i in 1 2 3 4 5; do
  build/native/tests/unit_tests --gtest_filter=RealHttp.TheSearchesOverlap 2>&1 | grep -E '^one request'
done
