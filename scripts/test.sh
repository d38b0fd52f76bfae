#!/usr/bin/env bash
# The test command: builds the native tree with warnings as errors and runs
# every test (unit, model and scenario tests through tessaly-sim), again
# under the sanitizers, then the Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-native.sh
# The portable core stays free of Win32 headers and types.
scripts/check-portable.sh
# Every C++ file as the formatter writes it.
scripts/check-format.sh
# No two folders under src/ include each other (app, the composition root,
# aside).
python3 scripts/include-graph.py --check
cmake --preset native -DTESSALY_WERROR=ON
cmake --build --preset native -j2
ctest --preset native -j2
# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer: any
# report fails the run.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSALY_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
cmake --build build/asan -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j2 --output-on-failure
# Bounded fuzz runs of the parsers and the settings-driven compiler.
scripts/fuzz.sh
if [ -x scripts/run-wine-tests.sh ]; then
  scripts/run-wine-tests.sh
fi
