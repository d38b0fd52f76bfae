#!/bin/bash
# Cross-builds the windows preset and runs the unit tests under Wine on a
# headless X server. Exits with the tests' status.
#   UNIT_TIMEOUT  seconds allowed for each test .exe (default 600)
#   BUILD_JOBS    parallel build jobs (default 2; the build machines are small)
#   any arguments are passed on to the test .exe files (e.g. --gtest_filter=NumText.*)
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
unit_timeout=${UNIT_TIMEOUT:-600}
jobs=${BUILD_JOBS:-2}

# --- packages (fresh Debian 12) -------------------------------------------
# Checks programs and the GoogleTest sources rather than package names, so a
# machine with them installed some other way is left alone.
missing=()
need() { # need PACKAGE TEST-PATH-OR-COMMAND
    if [[ $2 == /* ]]; then [ -e "$2" ] || missing+=("$1")
    else command -v "$2" >/dev/null 2>&1 || missing+=("$1"); fi
}
need cmake cmake
need ninja-build ninja
need wine wine
need wine64 /usr/lib/wine/wine64
need g++-mingw-w64-x86-64-posix x86_64-w64-mingw32-g++-posix
need mingw-w64-tools x86_64-w64-mingw32-pkg-config
need googletest /usr/src/googletest/CMakeLists.txt
need xvfb Xvfb
need xdotool xdotool
need x11-xserver-utils xset
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update || exit 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}" || exit 1
fi

# --- build -----------------------------------------------------------------
build_start=$(date +%s)
cd "$root" || exit 1
cmake --preset windows -DTESSALY_WERROR=ON || exit 1
cmake --build --preset windows -j "$jobs" || exit 1
echo "windows build: $(( $(date +%s) - build_start )) s"

# unit_tests is always built; win32_tests only where the Win32 layer is.
bin="$root/build/windows/tests"
[ -f "$bin/unit_tests.exe" ] || { echo "missing $bin/unit_tests.exe" >&2; exit 1; }
suites=(unit_tests)
[ -f "$bin/win32_tests.exe" ] && suites+=(win32_tests)

# --- Wine ------------------------------------------------------------------
wine_start=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-wine.XXXXXX") || exit 1
xvfb=""
# shellcheck disable=SC2317  # run from the EXIT trap
cleanup() {
    # The prefix's wineserver must go before its folder does; detached Wine
    # processes are only reaped once it has finished.
    if [ -n "${WINEPREFIX:-}" ]; then
        timeout 60 wineserver -w || timeout 10 wineserver -k
    fi
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    [ -f "$work/servers.pid" ] && xargs -r kill <"$work/servers.pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and reports it on fd 3.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1
fi
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

mkdir "$work/tmp"
# Own TMPDIR: each wineserver leaves a socket folder there.
export WINEPREFIX="$work/prefix" TMPDIR="$work/tmp" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY

if ! timeout 120 wineboot -i; then echo "wineboot failed" >&2; exit 1; fi
timeout 60 wineserver -w
# No crash dialog (it would hang the run) and unmanaged windows (no 2 s wait
# per hide/destroy without a window manager).
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null || exit 1
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null || exit 1
# Wine's desktop start centres the pointer over where test windows appear.
xdotool mousemove 1279 1023 || true
boot_done=$(date +%s)
echo "wine prefix ready: $(( boot_done - wine_start )) s"

# Loopback GeoNames stand-ins for the WinHTTP tests: one answering after
# 800 ms, one that holds its reply past the 10 s timeout.
geo="$root/../shared/testdata/geonames"
start_server() { # start_server LOGNAME ARGS... -> prints the port
    local out="$work/$1.out"; shift
    python3 "$geo/fake_geonames.py" --port 0 --map "$geo/mapping.json" \
        --default "$geo/ok_luther_r5_1place.xml" --max-seconds 300 "$@" >"$out" 2>&1 &
    echo $! >>"$work/servers.pid"
    for _ in $(seq 100); do
        grep -q '^PORT ' "$out" 2>/dev/null && break
        sleep 0.05
    done
    sed -n 's/^PORT //p' "$out" | head -n1
}
if [ -f "$geo/fake_geonames.py" ]; then
    port=$(start_server web --delay-ms 800)
    slow=$(start_server slow --delay-ms 15000)
    [ -n "$port" ] && export TESSALY_TEST_WEB="http://127.0.0.1:$port"
    [ -n "$slow" ] && export TESSALY_TEST_WEB_SLOW="http://127.0.0.1:$slow"
fi

rc=0
for suite in "${suites[@]}"; do
    xml="$root/build/windows/$suite.xml"
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
# The key-state test: xdotool types into a probe window in this same session.
if [ -f "$bin/key_probe.exe" ]; then
    # shellcheck source-path=SCRIPTDIR source=wine-key-test.sh
    . "$root/scripts/wine-key-test.sh"
    wine_key_test "$bin"
    status=$?
    [ "$rc" -eq 0 ] && rc=$status
fi
timeout 60 wineserver -w
echo "wine part took $(( $(date +%s) - wine_start )) s"
exit "$rc"
