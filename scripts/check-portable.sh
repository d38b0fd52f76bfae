#!/usr/bin/env bash
# Fails when a Win32 header or type appears outside the folders that may use
# them: the portable core must build and run without Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed='^(src/platform/win32|src/ui/win32|tests/win32[^/]*|tools/demo-viewer|bench/wine)/'
hits=$(git ls-files -- '*.cpp' '*.h' '*.hpp' '*.c' | grep -Ev "$allowed" |
    xargs -r grep -nE '#include *<windows\.h>|\b(HWND|WPARAM|LPARAM)\b' || true)
if [ -n "$hits" ]; then
    echo "Win32 outside its folders:" >&2
    echo "$hits" >&2
    exit 1
fi
echo "portable core: no Win32 headers or types outside their folders"
