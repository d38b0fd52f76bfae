#!/bin/bash
# Cross-builds the windows preset and runs the unit tests under Wine on a
# headless X server. Exits with the tests' status.
#   UNIT_TIMEOUT  seconds allowed for each test .exe (default 600)
#   BUILD_JOBS    parallel build jobs (default 2; the build machines are small)
#   BUILD_DIR     build tree (default build/windows; relative to the project root)
#   KEY_SOURCES   key-state sources the key test checks (default "hook async";
#                 the program ships the hook)
#   any arguments are passed on to the test .exe files (e.g. --gtest_filter=NumText.*)
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
unit_timeout=${UNIT_TIMEOUT:-600}
jobs=${BUILD_JOBS:-2}
build_dir=${BUILD_DIR:-build/windows}
case $build_dir in /*) ;; *) build_dir="$root/$build_dir" ;; esac

# --- packages (fresh Debian 12) -------------------------------------------
"$root/scripts/setup-windows.sh" || exit 1

# --- build -----------------------------------------------------------------
build_start=$(date +%s)
cd "$root" || exit 1
cmake --preset windows -B "$build_dir" -DTESSALY_WERROR=ON || exit 1
cmake --build "$build_dir" -j "$jobs" || exit 1
echo "windows build: $(( $(date +%s) - build_start )) s"

# unit_tests is always built; win32_tests only where the Win32 layer is.
bin="$build_dir/tests"
[ -f "$bin/unit_tests.exe" ] || { echo "missing $bin/unit_tests.exe" >&2; exit 1; }
suites=(unit_tests)
[ -f "$bin/win32_tests.exe" ] && suites+=(win32_tests)
[ -f "$bin/ui_tests.exe" ] && suites+=(ui_tests)

# --- Wine ------------------------------------------------------------------
wine_start=$(date +%s)
# shellcheck source-path=SCRIPTDIR source=wine-session.sh
. "$root/scripts/wine-session.sh"
trap 'exit 130' INT TERM
wine_session_start || exit 1
echo "wine prefix ready: $(( $(date +%s) - wine_start )) s"

# Loopback GeoNames stand-ins: one answering after 800 ms (the WinHTTP tests
# check that timers run meanwhile; the road test's ETA view uses it too), one
# that holds its reply past the 10 s timeout.
port=$(wine_session_server web --delay-ms 800)
slow=$(wine_session_server slow --delay-ms 15000)
[ -n "$port" ] && export TESSALY_TEST_WEB="http://127.0.0.1:$port"
[ -n "$slow" ] && export TESSALY_TEST_WEB_SLOW="http://127.0.0.1:$slow"
# And one that misbehaves on purpose: resets, redirect loops, huge bodies.
if [ -f "$root/tests/reliability/hostile_server.py" ]; then
    python3 "$root/tests/reliability/hostile_server.py" --max-seconds 900 >"$wine_session_work/hostile.out" 2>&1 &
    echo $! >>"$wine_session_work/servers.pid"
    for _ in $(seq 100); do grep -q '^PORT ' "$wine_session_work/hostile.out" 2>/dev/null && break; sleep 0.05; done
    hostile=$(sed -n 's/^PORT //p' "$wine_session_work/hostile.out" | head -n1)
    [ -n "$hostile" ] && export TESSALY_TEST_HOSTILE="http://127.0.0.1:$hostile"
fi

rc=0
for suite in "${suites[@]}"; do
    xml="$build_dir/$suite.xml"
    rm -f "$xml"
    start=$(date +%s)
    timeout "$unit_timeout" wine "$bin/$suite.exe" --gtest_output="xml:Z:$xml" "$@"
    status=$?
    if [ "$status" -eq 124 ]; then
        echo "$suite.exe timed out after ${unit_timeout} s" >&2
        timeout 10 wineserver -k
    fi
    echo "$suite under wine: $(( $(date +%s) - start )) s, exit $status"
    [ -f "$xml" ] && echo "results: $xml"
    # The first failure's status is the script's.
    [ "$rc" -eq 0 ] && rc=$status
done
# The key-state test: xdotool types into the demo viewer in this same
# session while key_probe.exe, another process, watches the keys.
if [ -f "$bin/key_probe.exe" ]; then
    # shellcheck source-path=SCRIPTDIR source=wine-key-test.sh
    . "$root/scripts/wine-key-test.sh"
    # shellcheck disable=SC2086  # a list of words
    wine_key_test "$bin" ${KEY_SOURCES:-hook async}
    status=$?
    [ "$rc" -eq 0 ] && rc=$status
fi
# The road of a track through Tessaly.exe, checked against the simulator.
if [ -f "$build_dir/Tessaly.exe" ]; then
    sim="$root/build/native/tessaly-sim"
    if [ ! -x "$sim" ]; then
        "$root/scripts/setup-native.sh" && cmake --preset native >/dev/null &&
            cmake --build --preset native -j "$jobs" --target tessaly-sim >/dev/null
    fi
    # shellcheck source-path=SCRIPTDIR source=wine-road-test.sh
    . "$root/scripts/wine-road-test.sh"
    wine_road_test "$build_dir" "$sim"
    status=$?
    [ "$rc" -eq 0 ] && rc=$status
fi
# The release files, installed and uninstalled.
if [ -f "$build_dir/Tessaly.exe" ]; then
    version=$("$root/scripts/package.sh" --version)
    "$root/scripts/package.sh" "$build_dir" >/dev/null || rc=1
    setup="$root/dist/Tessaly-$version-win64-setup.exe"
    if [ -f "$setup" ]; then
        # shellcheck source-path=SCRIPTDIR source=test-installer.sh
        . "$root/scripts/test-installer.sh"
        wine_installer_test "$setup" "$root/dist/Tessaly-$version-win64.zip"
        status=$?
        [ "$rc" -eq 0 ] && rc=$status
    fi
fi
timeout 60 wineserver -w
wine_session_end
echo "wine part took $(( $(date +%s) - wine_start )) s"
# Every window at 100 % and 150 %, in a session of its own (a larger screen).
if [ -f "$build_dir/Tessaly.exe" ]; then
    start=$(date +%s)
    BUILD_DIR="$build_dir" "$root/scripts/screenshots.sh" "$build_dir/screenshots"
    status=$?
    echo "screenshots: $(( $(date +%s) - start )) s, exit $status"
    [ "$rc" -eq 0 ] && rc=$status
fi
exit "$rc"
