#!/bin/bash
# The key-state test under Wine: xdotool types into key_probe.exe's window
# while it polls the platform's key state as the hotkey scan does; a press
# held 100 ms, a 20 ms tap and a one-second hold with autorepeat on must each
# count exactly once. Sourced by run-wine-tests.sh inside its Xvfb/Wine
# session (DISPLAY and WINEPREFIX set); defines wine_key_test.
#   wine_key_test DIR-WITH-key_probe.exe   -> 0 on success

wine_key_test() {
    local bin=$1 out probe status=0 start
    start=$(date +%s.%N)
    out=$(mktemp "${TMPDIR:-/tmp}/key_probe.XXXXXX") || return 1
    [ -f "$bin/key_probe.exe" ] || { echo "key test: missing $bin/key_probe.exe" >&2; return 1; }

    timeout 40 wine "$bin/key_probe.exe" 12 >"$out" 2>&1 &
    probe=$!
    # Each key-state query is a request to this prefix's wineserver, whose
    # CPU the probe's own figure leaves out.
    local ws="" p ws_cpu0=0 ws_t0
    # Ours is the one working in the socket folder under our own TMPDIR.
    for p in $(pgrep -x wineserver64; pgrep -x wineserver); do
        case $(readlink "/proc/$p/cwd" 2>/dev/null) in "${TMPDIR:-/tmp}"/*) ws=$p ;; esac
    done
    ws_cpu() { awk '{print $14 + $15}' "/proc/$ws/stat" 2>/dev/null || echo 0; }
    [ -n "$ws" ] && ws_cpu0=$(ws_cpu)
    ws_t0=$(date +%s.%N)
    local win
    win=$(timeout 20 xdotool search --sync --name "KTLX - GRLevel3" | head -n1)
    if [ -z "$win" ]; then
        echo "key test: probe window did not appear" >&2
        kill "$probe" 2>/dev/null; wait "$probe" 2>/dev/null; rm -f "$out"; return 1
    fi
    # The probe announces itself once its timer runs.
    for _ in $(seq 200); do grep -q 'probe ready' "$out" && break; sleep 0.05; done
    xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
    sleep 0.3

    xset r off                       # Q and W: no autorepeat in play
    xdotool keydown q; sleep 0.1; xdotool keyup q
    sleep 0.3
    xdotool keydown w; sleep 0.02; xdotool keyup w
    sleep 0.3
    xset r on                        # X: held a second, the server repeats it
    xdotool keydown x; sleep 1; xdotool keyup x
    sleep 0.3

    local ws_used=""
    [ -n "$ws" ] && ws_used=$(awk -v c="$(( $(ws_cpu) - ws_cpu0 ))" -v hz="$(getconf CLK_TCK)" \
        -v t="$(awk "BEGIN{print $(date +%s.%N) - $ws_t0}")" 'BEGIN{printf "%.1f", 100 * c / hz / t}')
    timeout 20 wine "$bin/key_probe.exe" --close >/dev/null 2>&1
    wait "$probe"
    local rc=$?
    tr -d '\r' <"$out" >"$out.txt"
    [ "$rc" -eq 0 ] || { echo "key test: probe exited $rc" >&2; status=1; }

    local code want n
    for code in 81 87 88; do
        n=$(sed -n "s/^key $code presses \([0-9]*\)$/\1/p" "$out.txt")
        want="key $code: ${n:-0} press(es)"
        if [ "${n:-0}" -ne 1 ]; then echo "key test: $want, expected 1" >&2; status=1
        else echo "$want"; fi
    done
    # Anything else counted is a stray press.
    if grep '^key ' "$out.txt" | grep -vq '^key \(81\|87\|88\) '; then
        echo "key test: other keys seen:" >&2; grep '^key ' "$out.txt" | grep -v '^key \(81\|87\|88\) ' >&2
        status=1
    fi
    grep '^idle scan:' "$out.txt" || { echo "key test: no idle-cost line" >&2; status=1; }
    [ -n "$ws_used" ] && echo "wineserver meanwhile: $ws_used % of a core (includes xdotool's input)"
    [ "$status" -eq 0 ] || { echo "probe output:" >&2; cat "$out.txt" >&2; }
    rm -f "$out" "$out.txt"
    echo "key test: $([ "$status" -eq 0 ] && echo passed || echo FAILED)," \
         "$(awk "BEGIN{printf \"%.1f\", $(date +%s.%N) - $start}") s"
    return "$status"
}
