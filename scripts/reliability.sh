#!/usr/bin/env bash
# The long reliability runs behind docs/reliability.md (the test command runs
# bounded versions of each): the 10^6-event soak natively and under
# AddressSanitizer/LeakSanitizer, the torn-read test with more writes, more
# kill-during-write trials, and longer fuzz runs. Prints the figures.
#   SOAK_EVENTS (1000000), SOAK_SEED (1), TORN_CYCLES (1200), KILL_TRIALS (1000),
#   FUZZ_SECONDS (60), JOBS (1), SKIP_ASAN=1, SKIP_FUZZ=1
set -euo pipefail
cd "$(dirname "$0")/.."
events=${SOAK_EVENTS:-1000000}
seed=${SOAK_SEED:-1}
jobs=${JOBS:-1}
rel=build/reliability
asan=build/reliability-asan

cmake -S . -B $rel -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build $rel -j"$jobs" --target tessaly-soak reliability_tests tessaly-sim

echo "== soak, $events events, seed $seed"
/usr/bin/time -f "   wall %e s, peak %M kB" $rel/tools/soak/tessaly-soak --events "$events" \
  --seed "$seed" --max-growth-mb 16

echo "== torn reads and kills"
TESSALY_TORN_CYCLES=${TORN_CYCLES:-1200} TESSALY_KILL_TRIALS=${KILL_TRIALS:-1000} \
  $rel/tests/reliability/reliability_tests --gtest_filter='Integrity.*'

if [ "${SKIP_ASAN:-}" != 1 ]; then
  cmake -S . -B $asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all" \
    >/dev/null
  cmake --build $asan -j"$jobs" --target tessaly-soak
  echo "== soak under ASan, UBSan and LeakSanitizer, $events events, seed $seed"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    /usr/bin/time -f "   wall %e s, peak %M kB" $asan/tools/soak/tessaly-soak \
    --events "$events" --seed "$seed"
fi

if [ "${SKIP_FUZZ:-}" != 1 ]; then
  echo "== fuzz, ${FUZZ_SECONDS:-60} s a target"
  FUZZ_SECONDS=${FUZZ_SECONDS:-60} scripts/fuzz.sh
fi
