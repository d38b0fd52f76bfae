#!/bin/bash
# The main job: builds the Windows program and runs it under Wine beside the
# demo viewer. The ETAs' towns come from the built-in place index; a GeoNames
# stand-in on loopback is set as the server, for ETA -> Edit's Server Database.
#   With a display (DISPLAY set): the two programs open on it; mark a storm
#   in the demo viewer with the hotkeys (Q twice, X for the pathcast, W to erase) and
#   watch the projection appear. Closing Tessaly ends the demo.
#   Without one: the same on a headless X server, with a short scripted
#   session (choose the viewer, mark two positions, view the pathcast, two
#   more storms and the storm list, a bow echo); it prints where it left
#   the placefiles and the screenshots.
#   TESSALY_DEMO_DIR  where the program folder and the results go (build/demo)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${TESSALY_DEMO_DIR:-$root/build/demo}
jobs=${BUILD_JOBS:-2}
cd "$root" || exit 1

"$root/scripts/setup-windows.sh" || exit 1
cmake --preset windows >/dev/null || exit 1
cmake --build --preset windows -j "$jobs" --target Tessaly demo-viewer window_probe >/dev/null || exit 1
bin=$root/build/windows

rm -rf "$out"
mkdir -p "$out/Tessaly" || exit 1
cp "$bin/Tessaly.exe" "$bin/stormtrack.png" "$bin/alert.wav" "$out/Tessaly/" || exit 1

interactive=0
[ -n "${DISPLAY:-}" ] && interactive=1
# shellcheck source=scripts/wine-session.sh
. "$root/scripts/wine-session.sh"
USE_DISPLAY=$interactive wine_session_start || exit 1
port=$(wine_session_server web --delay-ms 200)
server="http://127.0.0.1:${port:-9}/"

# Settings of a spotter who has used Tessaly before; the web service's
# address is the loopback stand-in (no GeoNames account needed for the demo).
key='HKCU\Software\VB and VBA Program Settings\Tessaly\Korvel3'
for kv in version=4.2 hkselect=Q hkerase=W hketa=X projection=cone "eta_server=$server"; do
    timeout 60 wine reg add "$key" /v "${kv%%=*}" /t REG_SZ /d "${kv#*=}" /f >/dev/null 2>&1
done
[ $interactive -eq 0 ] && timeout 60 wine reg add "$key" /v grtype /t REG_SZ /d "" /f >/dev/null 2>&1

placefile="$out/Tessaly/korvel.txt"
timeout 7200 wine "$bin/tools/demo-viewer/demo-viewer.exe" --placefile "$(winepath -w "$placefile")" \
    >"$out/demo-viewer.log" 2>&1 &
viewer_pid=$!
viewer=$(timeout 60 xdotool search --sync --name '^KTLX - GRLevel3$' | head -n1)
timeout 7200 wine "$out/Tessaly/Tessaly.exe" >"$out/tessaly.log" 2>&1 &
tessaly_pid=$!
main=$(timeout 60 xdotool search --sync --name '^Tessaly$' | head -n1)
if [ -z "$viewer" ] || [ -z "$main" ]; then echo "the demo did not start" >&2; exit 1; fi

if [ $interactive -eq 1 ]; then
    cat <<EOF

Tessaly and the demo viewer are running on $DISPLAY.
  1. In Tessaly choose "GRLevel3" (the viewer is found within a second).
  2. Point at a storm in the demo viewer and press Q; point where it will be
     in an hour and press Q again: the cone appears in the viewer.
  3. Press X for the pathcast: the towns in the storm's path with arrival
     and departure, minutes to go, how close it passes and the population,
     and their labels on the map. W erases.
  4. Mark more storms the same way: each gets a letter on the map;
     Storms > Storm List... lists them.
Placefile: $placefile
Close Tessaly's window to end the demo.
EOF
    wait "$tessaly_pid"
    kill "$viewer_pid" 2>/dev/null
    exit 0
fi

# --- the scripted session ----------------------------------------------------
dump() { wine_dump "$bin"; }
wait_for() { wine_wait_for "$bin" "$@" || { echo "the demo did not reach: $1" >&2; return 1; }; }
# Without a window manager Wine activates a window on a click only.
activate() { xdotool mousemove --window "$1" 60 6 click 1; sleep 0.4; }
select_at() { xdotool mousemove --window "$viewer" "$1" "$2"; sleep 0.3; xdotool key q; sleep 0.3; }

wait_for '^  [0-9]+ KTLX - GRLevel3$' 20 || exit 1
echo "Tessaly found the viewer"
activate "$main"
xdotool key alt+3   # "GRLevel3"
sleep 0.5
activate "$viewer"
select_at 465 290
select_at 515 240
echo "marked a storm: $(dump | awk '/^  100[1-4] /{printf "%s ", $2}')"
xdotool key x
# The pathcast: the towns in the storm's path, one row each.
wait_for '^  1901\.1 ' 20 || exit 1
dump | awk '/^window .*Pathcast/{sub(/^window [-0-9]+ [-0-9]+ [-0-9]+ [-0-9]+ /, ""); print $0 ":"}
            /^  1901\.[0-9]+ /{sub(/^  1901\.[0-9]+ /, "  "); print}'
echo "town labels on the map: $(tr -d '\r' <"$placefile" | LC_ALL=C grep -c '^Text: .* ;eta#[0-9]*$')"
# Below the storm and its towns, so that the picture shows both.
pathcast=$(dump | sed -n 's/^window [-0-9]* [-0-9]* [-0-9]* [-0-9]* \(Pathcast: .*\)$/\1/p' | head -n1)
timeout 20 wine "$bin/tests/window_probe.exe" move "$pathcast" 250 520 >/dev/null 2>&1
sleep 1.5   # the viewer re-reads the placefile every second
xdotool mousemove 4000 4000
cp "$placefile" "$out/track-placefile.txt"
import -window root -trim +repage "$out/track.png"
# Closed (Esc): it floats above the viewer and would hide the map.
activate "$(xdotool search --name '^Pathcast: ' | head -n1)"
xdotool key Escape
sleep 0.3

# Two more storms: three letters on the map, and the storm list of them.
activate "$viewer"
select_at 380 380
select_at 430 350
select_at 540 390
select_at 590 350
activate "$main"
xdotool key alt+s l   # Storms > Storm List...
wait_for '^window .* Storms$' 20 || exit 1
# Below the storms, so that the picture shows both.
timeout 20 wine "$bin/tests/window_probe.exe" move Storms 360 600 >/dev/null 2>&1
sleep 1.5
xdotool mousemove 4000 4000
cp "$placefile" "$out/storms-placefile.txt"
echo "storms on the map: $(LC_ALL=C sed -n 's/^Text:  14, 0, 1, "\([^"]*\)".*/\1/p' "$placefile" | tr '\n' ' ')"
import -window root -trim +repage "$out/storms.png"
activate "$(xdotool search --name '^Storms$' | head -n1)"
xdotool key Escape
sleep 0.3

# A bow echo: six points along the bow, then its motion.
activate "$main"
xdotool key alt+p b   # Projection > Bow
sleep 0.5
activate "$viewer"
for p in "220 250" "240 290" "250 330" "250 370" "240 410" "220 450" "250 350" "300 350"; do
    # shellcheck disable=SC2086  # two words
    select_at $p
done
sleep 1.5
xdotool mousemove 4000 4000
cp "$placefile" "$out/bow-placefile.txt"
import -window root -trim +repage "$out/bow.png"

activate "$main"
xdotool key alt+F4
timeout 20 tail --pid="$tessaly_pid" -f /dev/null
kill "$viewer_pid" 2>/dev/null
cat <<EOF

The demo ran on a headless X server.
  placefile with the projection and town labels: $out/track-placefile.txt
  screenshot of it with the pathcast window:     $out/track.png
  placefile with three labelled storms:          $out/storms-placefile.txt
  screenshot of them and the storm list:         $out/storms.png
  placefile with the bow echo:                   $out/bow-placefile.txt
  screenshot of the bow echo:                    $out/bow.png
Run it with DISPLAY set to try Tessaly yourself.
EOF
