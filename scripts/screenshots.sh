#!/bin/bash
# Opens every window of Tessaly.exe beside the demo viewer under Wine and
# writes one PNG per window and scaling (100 % and 150 %) to OUT-DIR
# (default docs/screenshots), and at the first scaling pictures of the map:
# each projection shape (shape-*.png), a bow echo's numbered points
# (bow-points.png), a storm marked as now and in an hour and on two radar
# frames (mark-hour.png, mark-frames.png, and the main window in frames mode,
# main-frames-*.png), the time marks along a track (time-marks.png) and three
# labelled storms (storms-map.png). No projection shape is stored first, so
# the pictures of use show the default one, the fan.
# Last, at each scaling, the main window with a watched place's alert in its
# banner beside the watched places window (watched-alert-*.png).
# Uses the Windows build in BUILD_DIR (default build/windows). Exits non-zero
# when a window did not appear.
#   scripts/screenshots.sh [OUT-DIR]
#   SCALES="96 144"   DPI values to shoot
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/docs/screenshots}
bin=${BUILD_DIR:-$root/build/windows}
scales=${SCALES:-96 144}
mkdir -p "$out" || exit 1
out=$(cd "$out" && pwd)

for f in Tessaly.exe stormtrack.png tests/window_probe.exe tools/demo-viewer/demo-viewer.exe; do
    [ -f "$bin/$f" ] || { echo "screenshots: missing $bin/$f (build the windows preset)" >&2; exit 1; }
done
command -v import >/dev/null || { echo "screenshots: ImageMagick's import is missing" >&2; exit 1; }

# Room for every window side by side at 150 %.
export WINE_SCREEN=${WINE_SCREEN:-1920x1200x24}
# shellcheck source=scripts/wine-session.sh
. "$root/scripts/wine-session.sh"
wine_session_start || exit 1

dump() { wine_dump "$bin"; }

# Prints "X Y W H" of the first window whose block matches: by title
# (rect_by_title REGEX) or by holding a child line (rect_by_child REGEX [NOT-REGEX]).
rect_by_title() { dump | awk -v re="$1" '/^window /{t=$0; sub(/^window [-0-9]+ [-0-9]+ [-0-9]+ [-0-9]+ /, "", t); if (t ~ re) {print $2, $3, $4, $5; exit}}'; }
rect_by_child() {
    dump | awk -v re="$1" -v not="${2:-^$}" '
        /^window /{ if (hit && !miss) {print r; exit} r=$2" "$3" "$4" "$5; hit=0; miss=0; next }
        $0 ~ re {hit=1} $0 ~ not {miss=1}
        END { if (hit && !miss) print r }' | head -n1
}
wait_rect() { # FUNCTION ARGS... -> prints the rect once it appears (10 s)
    local r
    for _ in $(seq 30); do
        r=$("$@")
        [ -n "$r" ] && { echo "$r"; return 0; }
        sleep 0.3
    done
    return 1
}
missing=0
shoot() { # NAME RECT
    local name=$1 rect=$2
    if [ -z "$rect" ]; then
        echo "screenshots: $name did not appear; Tessaly's windows:" >&2
        dump | grep '^window' >&2
        missing=$((missing + 1)); return
    fi
    read -r x y w h <<<"$rect"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name-$pct.png" &&
        echo "  $out/$name-$pct.png"
}
# Without a window manager Wine activates a window on a click only, so the
# caption is clicked before typing.
key_in() { # WINDOW-ID KEYS...
    local win=$1; shift
    xdotool mousemove --window "$win" 60 6 click 1
    sleep 0.4
    local k
    for k in "$@"; do xdotool key "$k"; sleep 0.4; done
}

key='HKCU\Software\VB and VBA Program Settings\Tessaly\Korvel3'
# Stores a setting and reads it back until it holds: once in CI the ETA
# style read by the next view was not the one just added.
reg_set() { # NAME VALUE
    local _
    for _ in 1 2 3 4 5; do
        timeout 30 wine reg add "$key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
        timeout 30 wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
            awk -v n="$1" -v v="$2" '$1 == n && $2 == "REG_SZ" { sub(/^ *[^ ]+ +REG_SZ +/, ""); ok = ($0 == v) }
                                     END { exit !ok }' && return 0
        sleep 0.5
    done
    echo "screenshots: the setting $1 does not keep \"$2\"" >&2
    missing=$((missing + 1))
    return 1
}
# A picture of the viewer's map: viewer-window coordinates X1 Y1 X2 Y2.
map_shot() { # NAME X1 Y1 X2 Y2
    local X="" Y="" WINDOW SCREEN WIDTH HEIGHT geometry _
    # Under load xdotool has come back with nothing once; asked again.
    for _ in 1 2 3 4 5; do
        geometry=$(xdotool getwindowgeometry --shell "$viewer" 2>/dev/null)
        case $geometry in *X=*Y=*) eval "$geometry"; break ;; esac
        sleep 0.5
    done
    if [ -z "$X" ] || [ -z "$Y" ]; then
        echo "screenshots: $1: no geometry for the demo viewer's window ($viewer)" >&2
        missing=$((missing + 1))
        return 1
    fi
    import -window root -crop "$(( $4 - $2 ))x$(( $5 - $3 ))+$(( X + $2 ))+$(( Y + $3 ))" +repage "$out/$1.png" &&
        echo "  $out/$1.png"
}
# Marks a storm in the viewer: select at each viewer-window point X,Y.
mark() { # X,Y...
    xdotool mousemove --window "$viewer" 60 6 click 1; sleep 0.3
    local p
    for p in "$@"; do
        xdotool mousemove --window "$viewer" "${p%,*}" "${p#*,}"; sleep 0.4; xdotool key q; sleep 0.5
    done
    sleep 1.2  # the viewer re-reads the placefile every second
    xdotool mousemove 4000 4000; sleep 0.3
}
start_tessaly() {
    timeout 600 wine "$prog/Tessaly.exe" >/dev/null 2>&1 &
    tessaly_pid=$!
    main=$(timeout 30 xdotool search --sync --name '^Tessaly$' | head -n1)
    [ -n "$main" ] && wait_rect rect_by_child '^  [0-9]+ KTLX - GRLevel3$' >/dev/null
}
stop_tessaly() {
    key_in "$main" alt+F4
    timeout 20 tail --pid="$tessaly_pid" -f /dev/null
}
# The viewer's position text under viewer-window point X Y, without blanks.
position_at() { # X Y
    xdotool mousemove --window "$viewer" "$1" "$2"
    sleep 0.4
    timeout 20 wine "$bin/tests/window_probe.exe" panel "KTLX - GRLevel3" 4 2>/dev/null | tr -d '\r '
}
# Two watched places in watched.txt, Home near the middle of a storm's track
# then marked (about 40 knots: it reaches Home in some 20 minutes): its
# alert shows in the main window's banner (1031). The
# watched places window is opened from the Storms menu and put beside the
# main window; one picture of both.
watched_shot() {
    local home shelter mx my mw mh wx wy ww wh
    home=$(position_at 283 443)
    shelter=$(position_at 200 330)
    stop_tessaly
    printf '# Tessaly watched places: name,latitude,longitude\r\nHome,%s\r\nShelter,%s\r\n' \
        "$home" "$shelter" >"$prog/watched.txt"
    # Marks read as now and in an hour, whatever the pass set before.
    timeout 30 wine reg delete "$key" /v mark_mode /f >/dev/null 2>&1
    timeout 30 wine reg delete "$key" /v mark_minutes /f >/dev/null 2>&1
    start_tessaly
    mark 150,560 400,310
    if ! wait_rect rect_by_child '^  1031 Storm ' >/dev/null; then
        echo "screenshots: no alert banner (1031) for Home at $home" >&2
        missing=$((missing + 1))
    fi
    key_in "$main" alt+s a
    read -r wx wy ww wh <<<"$(wait_rect rect_by_title '^Watched Places$')"
    read -r mx my mw mh <<<"$(rect_by_title '^Tessaly$')"
    if [ -z "${wh:-}" ] || [ -z "${mh:-}" ]; then
        shoot watched-alert ""
        return
    fi
    timeout 20 wine "$bin/tests/window_probe.exe" move "Watched Places" $(( mx + mw + 8 )) "$my" >/dev/null 2>&1
    sleep 1
    read -r wx wy ww wh <<<"$(rect_by_title '^Watched Places$')"
    echo "  the watched places window lists $(dump | grep -c '^  2001\.[0-9]* ') places"
    local ux=$(( mx < wx ? mx : wx )) uy=$(( my < wy ? my : wy ))
    local ur=$(( mx + mw > wx + ww ? mx + mw : wx + ww )) ub=$(( my + mh > wy + wh ? my + mh : wy + wh ))
    shoot watched-alert "$ux $uy $(( ur - ux )) $(( ub - uy ))"
    key_in "$(xdotool search --name '^Watched Places$' | head -n1)" Escape
    key_in "$viewer" w
}

first_dpi=${scales%% *}
for dpi in $scales; do
    pct=$(( dpi * 100 / 96 ))
    echo "screenshots at $pct %:"
    timeout 20 wineserver -k 2>/dev/null
    wine_session_dpi "$dpi"
    # Where a user might unpack the zip, so that the placefile's path in the
    # pictures reads C:\Tessaly\korvel.txt.
    prog=$WINEPREFIX/drive_c/Tessaly
    rm -rf "$prog" && mkdir -p "$prog" || exit 1
    cp "$bin/Tessaly.exe" "$bin/stormtrack.png" "$prog/"
    # As after the first start: the hotkeys seen, the viewer chosen. Nothing
    # else is stored (not even what the previous scaling's pass stored), so
    # every window shows its defaults.
    timeout 30 wine reg delete "${key%\\*}" /f >/dev/null 2>&1
    # No projection is stored: the pictures of use show the default fan.
    for kv in version=4.2 hkselect=Q hkerase=W hketa=X grtype=gr3; do
        timeout 30 wine reg add "$key" /v "${kv%%=*}" /t REG_SZ /d "${kv#*=}" /f >/dev/null 2>&1
    done
    timeout 600 wine "$bin/tools/demo-viewer/demo-viewer.exe" --placefile "$(winepath -w "$prog/korvel.txt")" \
        >/dev/null 2>&1 &
    viewer=$(timeout 30 xdotool search --sync --name '^KTLX - GRLevel3$' | head -n1)
    start_tessaly
    if [ -z "$viewer" ] || [ -z "$main" ]; then echo "screenshots: the programs did not start" >&2; exit 1; fi

    # The ETA editor with the stored defaults, and its preview of the ETA windows.
    key_in "$main" alt+e e
    shoot eta-editor "$(wait_rect rect_by_title '^ ETA Editor$')"
    editor=$(xdotool search --name '^ ETA Editor$' | head -n1)
    # The editor closes first so that it covers neither of them.
    key_in "$editor" alt+p Escape
    shoot eta-medium "$(wait_rect rect_by_child '^  1313 ')"
    key_in "$viewer" w  # the erase key hides the previewed windows

    # A storm marked and its ETAs viewed, as in use, from the built-in place
    # index (the default source), in the classic style (the ETA windows); the
    # pathcast comes at the end.
    reg_set eta_style classic
    mark 465,290 515,240
    xdotool key x
    small=$(wait_rect rect_by_child '^  1308 ' '^  1309 ')
    sleep 1.2
    xdotool mousemove 4000 4000
    sleep 0.3
    # The bare root around the windows is black: trimmed away.
    import -window root -trim +repage "$out/session-$pct.png" && echo "  $out/session-$pct.png"
    shoot main "$(rect_by_title '^Tessaly$')"
    shoot eta-small "$small"

    # A dialog opened while an ETA window is shown comes up above it, though
    # the ETA window raises itself every 10 ms: the editor is moved over it,
    # from the ETA window's middle, or as far right as the screen lets it be
    # whole (the ETA window sits near the screen's right edge at 150 %).
    key_in "$main" alt+p e
    if [ -n "$small" ] && rect=$(wait_rect rect_by_title '^Projection Editor$'); then
        read -r ex ey ew eh <<<"$small"
        read -r _ _ dw _ <<<"$rect"
        read -r screen_w _ <<<"$(xdotool getdisplaygeometry)"
        left=$(( ex + ew / 2 ))
        [ $(( left + dw )) -gt "$screen_w" ] && left=$(( screen_w - dw ))
        timeout 20 wine "$bin/tests/window_probe.exe" move "Projection Editor" \
            "$left" $(( ey + eh / 3 )) >/dev/null 2>&1
        sleep 1
        read -r dx dy dw dh <<<"$(rect_by_title '^Projection Editor$')"
        ux=$(( ex < dx ? ex : dx )) uy=$(( ey < dy ? ey : dy ))
        ur=$(( ex + ew > dx + dw ? ex + ew : dx + dw )) ub=$(( ey + eh > dy + dh ? ey + eh : dy + dh ))
        shoot dialog-over-eta "$ux $uy $(( ur - ux )) $(( ub - uy ))"
        # The dump lists the windows from the top down.
        order=$(dump | awk '/^window /{n++; t=$0} /^window .* Projection Editor$/{e=n} /^  1308 /{s=n} END{print e+0, s+0}')
        read -r e_at s_at <<<"$order"
        if [ "$e_at" -gt 0 ] && [ "$s_at" -gt 0 ] && [ "$e_at" -lt "$s_at" ]; then
            echo "  the projection editor is above the small ETA window"
        else
            echo "screenshots: the small ETA window covers the projection editor ($order)" >&2
            missing=$((missing + 1))
        fi
    fi
    key_in "$(xdotool search --name '^Projection Editor$' | head -n1)" Escape

    # The classic list, then every ETA window closed: they stay on top and
    # would cover the dialogs that open beside the main window.
    key_in "$main" alt+e e
    key_in "$(xdotool search --name '^ ETA Editor$' | head -n1)" alt+c Escape
    key_in "$viewer" x
    classic=$(wait_rect rect_by_title '^ Korvelv3$')
    shoot eta-classic "$classic"
    key_in "$(xdotool search --name '^ Korvelv3$' | head -n1)" alt+F4
    key_in "$viewer" w

    key_in "$main" alt+p e
    shoot projection-editor "$(wait_rect rect_by_title '^Projection Editor$')"
    key_in "$(xdotool search --name '^Projection Editor$' | head -n1)" alt+i
    shoot input "$(wait_rect rect_by_title '^ Border Line Width$')"
    key_in "$(xdotool search --name '^ Border Line Width$' | head -n1)" Escape
    key_in "$(xdotool search --name '^Projection Editor$' | head -n1)" Escape

    key_in "$main" alt+l i
    shoot placefile-info "$(wait_rect rect_by_title '^ Placefile Information$')"
    key_in "$(xdotool search --name '^ Placefile Information$' | head -n1)" Escape
    key_in "$main" alt+h a
    shoot about "$(wait_rect rect_by_title '^About Korvel$')"
    key_in "$(xdotool search --name '^About Korvel$' | head -n1)" Escape
    # Three storms, each with its letter on the map, and the storm list of them.
    mark 360,500 400,470
    mark 470,520 510,480
    mark 410,390 450,350
    [ "$dpi" = "$first_dpi" ] && map_shot storms-map 320 310 600 560
    key_in "$main" alt+s l
    shoot storms "$(wait_rect rect_by_title '^Storms$')"
    key_in "$(xdotool search --name '^Storms$' | head -n1)" Escape
    key_in "$viewer" w

    # The pathcast of a storm crossing the towns north-east of the radar.
    reg_set eta_style pathcast
    mark 465,290 515,240
    xdotool key x
    # Shot once its rows are in: a window without towns is a failure too.
    pathcast=$(wait_rect rect_by_child '^  1901\.1 ')
    shoot pathcast "$pathcast"
    if [ -n "$pathcast" ]; then
        echo "  the pathcast lists $(dump | grep -c '^  1901\.[0-9]* ') towns"
        key_in "$(xdotool search --name '^Pathcast: ' | head -n1)" Escape
    fi
    key_in "$viewer" w

    if [ "$dpi" = "$first_dpi" ]; then
        # The shapes on the viewer's map: one storm, marked anew for each.
        for shape in fan:f cone:c wedge:d; do
            key_in "$main" alt+p "${shape#*:}"
            mark 400,470 470,400
            map_shot "shape-${shape%:*}" 340 340 590 530
            key_in "$viewer" w
        done
        # The bow echo: its numbered markers after seven points, then the
        # sweep the eighth point draws.
        key_in "$main" alt+p b
        mark 400,340 430,372 450,410 452,450 438,490 410,522 452,430
        map_shot bow-points 350 315 560 550
        mark 500,430
        map_shot shape-bow 350 315 560 550
        key_in "$viewer" w
        # Two marks 20 minutes of travel apart, taken as the storm now and in
        # an hour (the default fan), then as two radar frames 20 minutes apart.
        key_in "$main" alt+p f
        mark 380,520 420,480
        map_shot mark-hour 340 300 600 560
        key_in "$viewer" w
        # The time marks along a longer track.
        stop_tessaly
        reg_set time_marks yes
        start_tessaly
        mark 360,540 460,440
        map_shot time-marks 320 380 620 600
        key_in "$viewer" w
        stop_tessaly
        timeout 30 wine reg delete "$key" /v time_marks /f >/dev/null 2>&1
        for kv in mark_mode=frames mark_minutes=20; do
            timeout 30 wine reg add "$key" /v "${kv%%=*}" /t REG_SZ /d "${kv#*=}" /f >/dev/null 2>&1
        done
        start_tessaly
        mark 380,520 420,480
        map_shot mark-frames 340 300 600 560
        # Tessaly's window in frames mode, with "20 min" beside the speed row.
        shoot main-frames "$(rect_by_title '^Tessaly$')"
        key_in "$viewer" w
    fi
    watched_shot

    stop_tessaly
    timeout 20 wineserver -k 2>/dev/null
    rm -rf "$prog"
done
[ "$missing" -eq 0 ] || { echo "screenshots: $missing window(s) missing" >&2; exit 1; }
echo "screenshots written to $out"
