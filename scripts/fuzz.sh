#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time (FUZZ_SECONDS, default 20) on a corpus seeded from the test data.
set -euo pipefail
cd "$(dirname "$0")/.."
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
need=()
for p in clang libclang-rt-14-dev; do have "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
seconds=${FUZZ_SECONDS:-20}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSALY_FUZZ=ON -DTESSALY_TESTS=OFF -DTESSALY_WERROR=ON >/dev/null
cmake --build build/fuzz -j2 --target fuzz_position fuzz_reply fuzz_placefile fuzz_settings fuzz_places fuzz_storms
geo=../shared/testdata/geonames
seed() { # seed TARGET FILES...
  local dir=build/fuzz/corpus/$1; shift
  mkdir -p "$dir"
  for f in "$@"; do [ -f "$f" ] && cp "$f" "$dir/"; done
}
seed fuzz_reply "$geo"/*.xml "$geo"/*.html
seed fuzz_placefile fuzz/corpus/placefile/*
seed fuzz_position fuzz/corpus/position/*
seed fuzz_settings fuzz/corpus/settings/*
seed fuzz_places tests/data/places/* fuzz/corpus/places/*
seed fuzz_storms fuzz/corpus/storms/*
# A place file may make the reader allocate only what its bytes can hold
# (at most 32 times a 1.1 MB input): any single allocation past 512 MB is a crash.
malloc_limit() { [ "$1" = fuzz_places ] && echo -malloc_limit_mb=512 || echo -malloc_limit_mb=2048; }
status=0
for t in fuzz_position fuzz_reply fuzz_placefile fuzz_settings fuzz_places fuzz_storms; do
  mkdir -p build/fuzz/artifacts/$t
  if build/fuzz/fuzz/$t -max_total_time="$seconds" -max_len=1100000 -rss_limit_mb=2048 "$(malloc_limit $t)" \
      -artifact_prefix=build/fuzz/artifacts/$t/ -print_final_stats=1 build/fuzz/corpus/$t \
      >build/fuzz/$t.log 2>&1; then
    echo "$t: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' build/fuzz/$t.log | grep -o '[0-9]*$') runs, no crash"
  else
    echo "$t: CRASH, see build/fuzz/$t.log and build/fuzz/artifacts/$t/" >&2
    tail -40 build/fuzz/$t.log >&2
    status=1
  fi
done
exit $status
