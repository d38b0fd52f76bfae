#!/usr/bin/env bash
# The whole benchmark set in one command: builds everything first (so no
# build runs during a measurement), then the core and storms benchmarks, the
# ETA latency, the scaling benchmark and the real program under Wine, and
# prints a summary. Full outputs are kept in RESULTS_DIR.
#   NATIVE_BUILD_DIR   default build/native
#   WINDOWS_BUILD_DIR  default build/windows
#   BUILD_JOBS         parallel build jobs (default 2)
#   RESULTS_DIR        default build/bench-results
#   IDLE_SECONDS, PRESSES  passed on to bench/wine-perf.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
native=${NATIVE_BUILD_DIR:-build/native}
windows=${WINDOWS_BUILD_DIR:-build/windows}
jobs=${BUILD_JOBS:-2}
out=${RESULTS_DIR:-build/bench-results}
mkdir -p "$out"
export BUILD_JOBS=$jobs

status=0
step() { # step NAME COMMAND... : runs it, output to the terminal and $out/NAME.txt
    local name=$1; shift
    echo "=== $name"
    "$@" 2>&1 | tee "$out/$name.txt"
    local rc=${PIPESTATUS[0]}
    [ "$rc" -eq 0 ] || { echo "=== $name failed (exit $rc)"; status=1; }
}

start=$(date +%s)
echo "=== build"
scripts/setup-native.sh || exit 1
if ! { cmake --preset native -B "$native" >/dev/null &&
       cmake --build "$native" -j "$jobs" --target core_bench scaling_bench storms_bench watched_bench unit_tests >/dev/null; }; then
    echo "native build failed"; exit 1
fi
# wine-perf.sh installs the cross toolchain and Wine when missing, then builds.
BUILD_DIR=$windows IDLE_SECONDS=0 PRESSES=0 bench/wine-perf.sh --build-only || exit 1
echo "builds: $(( $(date +%s) - start )) s"

step core "$native/bench/core_bench" --benchmark_min_time=0.2
step storms "$native/bench/storms_bench" --benchmark_min_time=0.2
step watched "$native/bench/watched_bench" --benchmark_min_time=0.2
step eta-latency env BUILD_DIR="$native" bench/eta-latency.sh
step scaling env BUILD_DIR="$native" bench/scaling.sh
step wine-perf env BUILD_DIR="$windows" NO_BUILD=1 bench/wine-perf.sh

echo
echo "=== summary ($(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1);" \
     "load now $(cut -d' ' -f1-3 /proc/loadavg); full outputs in $out)"
# Core: the hot paths the program runs most often, and the largest write.
awk '/^BM_(compile|find_keys_idle|find_distance|write_list_to_file|readdata_20|bow_echo)/ {
        us = $4 / ($5 == "ns" ? 1000 : $5 == "ms" ? 0.001 : 1)
        printf "core: %-30s %10.1f us CPU, %10.1f us wall\n", $1, us, $2 * us / $4 }' "$out/core.txt"
# ETA: the median of the five ratios.
grep -o 'ratio [0-9.]*' "$out/eta-latency.txt" | awk '{print $2}' | sort -n |
    awk '{ r[NR] = $1 } END { if (NR) printf "eta: view / one request, median of %d runs: %s (target <= 1.5; " \
        "one after another ~8)\n", NR, r[int((NR + 1) / 2)]; else print "eta: no figures" }'
# Storms: with 100 of them, one erased, the list rebuilt, and the restore
# (a restart with 100 saved storms less a restart with none).
awk '/^BM_[a-z_]+\/[0-9]+ / {
        us = $4 / ($5 == "ns" ? 1000 : $5 == "ms" ? 0.001 : 1); t[$1] = us }
     END { if (!("BM_erase_storm/100" in t)) { print "storms: no figures"; exit }
           printf "storms: 100 storms: erase one %.0f us CPU (target <= 5000), list refresh %.0f us " \
                  "(target <= 10000), restore %.0f us (restart %.0f us less %.0f us; target <= 50000)\n",
                  t["BM_erase_storm/100"], t["BM_storm_list_refresh/100"],
                  t["BM_restart/100"] - t["BM_restart/0"], t["BM_restart/100"], t["BM_restart/0"] }' "$out/storms.txt"
# Watched places: 20 places against 20 moving storms, one minute tick.
awk '/^BM_watched_(check|alert_tick) / {
        us = $4 / ($5 == "ns" ? 1000 : $5 == "ms" ? 0.001 : 1); t[$1] = us }
     END { if (!("BM_watched_check" in t)) { print "watched: no figures"; exit }
           printf "watched: 20 places x 20 storms: alert test %.0f us CPU (target <= 200), " \
                  "whole minute tick %.0f us\n", t["BM_watched_check"], t["BM_watched_alert_tick"] }' "$out/watched.txt"
grep -h '^scaling:' "$out/scaling.txt" || echo "scaling: no figures"
grep -h '^wine-perf:' "$out/wine-perf.txt" || echo "wine-perf: no figures"
echo "total: $(( $(date +%s) - start )) s"
exit "$status"
