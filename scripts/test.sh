#!/usr/bin/env bash
# The test command: builds the native tree with warnings as errors and runs
# every test (unit, model and scenario tests through tessaly-sim), then the
# Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-native.sh
cmake --preset native -DTESSALY_WERROR=ON
cmake --build --preset native -j2
ctest --preset native -j2
if [ -x scripts/run-wine-tests.sh ]; then
  scripts/run-wine-tests.sh
fi
