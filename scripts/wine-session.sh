#!/bin/bash
# A headless Wine session for the scripts that run the Windows build: an X
# server of its own (Xvfb, unless USE_DISPLAY=1 and DISPLAY is set), a fresh
# Wine prefix, and the loopback GeoNames stand-in. Sourced; defines
#   wine_session_start   -> sets DISPLAY, WINEPREFIX, TMPDIR
#   wine_session_server NAME ARGS... -> starts a GeoNames stand-in, prints its port
#   wine_session_end     -> stops everything it started (also on EXIT)
#   wine_session_dpi DPI -> sets the session's display scaling (96 = 100 %)
#   wine_dump BIN        -> the texts of Tessaly's visible windows (window_probe)
#   wine_wait_for BIN PATTERN SECONDS -> 0 once wine_dump matches (grep -E)
# Needs wine, xvfb and python3 (the callers install them).

wine_session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine_session_work=""
wine_session_xvfb=""

wine_session_end() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
        timeout 60 wineserver -w 2>/dev/null || timeout 10 wineserver -k 2>/dev/null
    fi
    [ -n "$wine_session_xvfb" ] && kill "$wine_session_xvfb" 2>/dev/null && wait "$wine_session_xvfb" 2>/dev/null
    wine_session_xvfb=""
    if [ -n "$wine_session_work" ]; then
        [ -f "$wine_session_work/servers.pid" ] && xargs -r kill <"$wine_session_work/servers.pid" 2>/dev/null
        rm -rf "$wine_session_work"
        if [ -n "${wine_session_tmpdir:-}" ]; then export TMPDIR="$wine_session_tmpdir"; else unset TMPDIR; fi
        unset WINEPREFIX
    fi
    wine_session_work=""
}

# Starts the GeoNames stand-in: wine_session_server NAME ARGS... -> prints the port.
wine_session_server() {
    local out="$wine_session_work/$1.out" geo="$wine_session_root/../shared/testdata/geonames"
    shift
    [ -f "$geo/fake_geonames.py" ] || return 1
    python3 "$geo/fake_geonames.py" --port 0 --map "$geo/mapping.json" \
        --default "$geo/ok_luther_r5_1place.xml" --max-seconds 900 "$@" >"$out" 2>&1 &
    echo $! >>"$wine_session_work/servers.pid"
    for _ in $(seq 100); do
        grep -q '^PORT ' "$out" 2>/dev/null && break
        sleep 0.05
    done
    sed -n 's/^PORT //p' "$out" | head -n1
}

wine_session_start() {
    # The caller's TMPDIR comes back when the session ends.
    wine_session_tmpdir=${TMPDIR-}
    wine_session_work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-wine.XXXXXX") || return 1
    trap wine_session_end EXIT
    if [ "${USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
        echo "using display $DISPLAY"
    else
        # Xvfb picks a free display number itself and reports it on fd 3.
        exec 3>"$wine_session_work/display"
        Xvfb -displayfd 3 -screen 0 "${WINE_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >"$wine_session_work/xvfb.log" 2>&1 &
        wine_session_xvfb=$!
        exec 3>&-
        for _ in $(seq 200); do
            [ -s "$wine_session_work/display" ] && break
            kill -0 "$wine_session_xvfb" 2>/dev/null || break
            sleep 0.05
        done
        if [ ! -s "$wine_session_work/display" ]; then
            echo "Xvfb did not start:" >&2; cat "$wine_session_work/xvfb.log" >&2; return 1
        fi
        DISPLAY=":$(head -n1 "$wine_session_work/display")"
        export DISPLAY
    fi
    mkdir "$wine_session_work/tmp"
    # Own TMPDIR: each wineserver leaves a socket folder there.
    export WINEPREFIX="$wine_session_work/prefix" TMPDIR="$wine_session_work/tmp" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml="
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
    timeout 120 wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
    timeout 60 wineserver -w
    # No crash dialog (it would hang the run) and, without a window manager,
    # unmanaged windows (no 2 s wait per hide/destroy).
    timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Wine's own TrueType fonts (Marlett draws the caption buttons; Tahoma)
    # are used only from the prefix's Fonts folder: without them captions
    # show "0 1 r".
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    # Segoe UI, the dialogs' font, is not part of Wine; without a replacement
    # Wine takes whatever face comes first.
    local face
    for face in "Segoe UI" "Segoe UI Semibold"; do
        timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
            /d "Liberation Sans" /f >/dev/null 2>&1
    done
    if [ -n "$wine_session_xvfb" ]; then
        timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        # Wine's desktop start centres the pointer over where windows appear.
        xdotool mousemove 4000 4000 2>/dev/null
    fi
    return 0
}

wine_session_dpi() {
    timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    # The scaling is read when the session's first program starts.
    timeout 30 wineserver -w
}

# "window X Y W H TITLE" per visible window of Tessaly.exe, then "  ID TEXT"
# per visible child control. BIN is the Windows build folder.
wine_dump() { timeout 20 wine "$1/tests/window_probe.exe" dump Tessaly.exe 2>/dev/null | tr -d '\r'; }

wine_wait_for() { # BIN PATTERN SECONDS
    local end=$(( $(date +%s) + $3 ))
    while [ "$(date +%s)" -lt "$end" ]; do
        wine_dump "$1" | grep -Eq "$2" && return 0
        sleep 0.3
    done
    return 1
}
