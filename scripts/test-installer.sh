#!/bin/bash
# The installer test under Wine: runs the NSIS setup silently, checks the
# installed files, the Start-menu link and the uninstall entry, runs the
# uninstaller silently and checks that everything it owns is gone while a
# setting seeded beforehand under the program's settings key survives.
# README.txt must be the whole user guide (every heading of
# docs/user-guide.md, CR LF), and Help > User Guide in the installed
# Tessaly.exe must open it.
# Sourced by run-wine-tests.sh inside its Xvfb/Wine session (DISPLAY and
# WINEPREFIX set); defines wine_installer_test.
#   wine_installer_test SETUP.EXE [ZIP]   -> 0 on success
# Run directly it makes its own session first (Xvfb and a fresh prefix):
#   scripts/test-installer.sh [SETUP.EXE [ZIP]]   (default: the dist/ files of
#   the version in CMakeLists.txt, as scripts/package.sh names them)

inst_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# inst_readme_check TXT -> 0 when TXT has CR LF lines and, in the guide's
# order, every heading of docs/user-guide.md as a line of its own above its
# underline.
inst_readme_check() {
    python3 - "$1" "$inst_root/docs/user-guide.md" <<'PY'
import re, sys
raw = open(sys.argv[1], "rb").read()
text = raw.decode("utf-8-sig")
bad = [i + 1 for i, l in enumerate(text.split("\n")[:-1]) if not l.endswith("\r")]
if bad or not text.endswith("\r\n"):
    sys.exit(f"README.txt: lines without CR LF: {bad[:5]}")
lines = text.replace("\r", "").split("\n")
pos = 0
for h in re.findall(r"^#{1,3} +(.+?) *$", open(sys.argv[2], encoding="utf-8").read(), re.M):
    h = re.sub(r"[*_`]", "", h)
    at = next((i for i in range(pos, len(lines) - 1)
               if lines[i] == h and re.fullmatch(r"[=-]+", lines[i + 1])), None)
    if at is None:
        sys.exit(f"README.txt: no section '{h}' (after line {pos})")
    pos = at + 2
PY
}

wine_installer_test() {
    local setup=$1 zipfile=${2:-} status=0 start t
    start=$(date +%s.%N)
    [ -f "$setup" ] || { echo "installer test: missing $setup" >&2; return 1; }
    # No menu entries in the real home folder for the Start-menu link.
    local -x WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
    local settings='HKCU\Software\VB and VBA Program Settings\Tessaly\Korvel3'
    local uninst='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly'
    inst_fail() { echo "installer test: $*" >&2; status=1; }
    # inst_reg_value KEY NAME -> the value's data (empty and status 1 when missing)
    inst_reg_value() {
        local out
        out=$(timeout 60 wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
        printf '%s\n' "$out" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n1
    }
    inst_winvar() { timeout 60 wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r' | tail -n1; }

    # The zip holds exactly the five files, README.txt the whole guide.
    if [ -n "$zipfile" ]; then
        local names
        names=$(unzip -Z1 "$zipfile" 2>/dev/null | sort | tr '\n' ' ')
        [ "$names" = "$(printf '%s\n' README.txt Tessaly.exe stormtrack.png alert.wav tessaly-places.exe | sort | tr '\n' ' ')" ] ||
            inst_fail "zip holds '$names'"
        local readme
        readme=$(mktemp "${TMPDIR:-/tmp}/readme.XXXXXX")
        unzip -p "$zipfile" README.txt >"$readme"
        inst_readme_check "$readme" || inst_fail "the zip's README.txt is not the user guide"
        rm -f "$readme"
    fi

    # A user's setting from an earlier install; only seeded (and later
    # removed) when the key is not there already.
    local seeded=0
    if ! timeout 60 wine reg query "$settings" >/dev/null 2>&1; then
        timeout 60 wine reg add "$settings" /v hkselect /t REG_SZ /d Z /f >/dev/null || inst_fail "cannot seed a setting"
        seeded=1
    fi
    local before
    before=$(inst_reg_value "$settings" hkselect)

    local local_app app_data inst menu
    local_app=$(inst_winvar LOCALAPPDATA); app_data=$(inst_winvar APPDATA)
    inst=$(timeout 60 winepath -u "$local_app\\Programs\\Tessaly" 2>/dev/null)
    menu=$(timeout 60 winepath -u "$app_data\\Microsoft\\Windows\\Start Menu\\Programs\\Tessaly.lnk" 2>/dev/null)
    if [ -z "$local_app" ] || [ -z "$inst" ] || [ -z "$menu" ]; then
        inst_fail "cannot find the user's folders (LOCALAPPDATA '$local_app', APPDATA '$app_data')"; return 1
    fi
    inst=${inst%/}

    # --- install ---------------------------------------------------------
    t=$(date +%s.%N)
    timeout 120 wine "$setup" /S
    local rc=$?
    echo "installer test: install took $(awk "BEGIN{printf \"%.1f\", $(date +%s.%N) - $t}") s, exit $rc"
    [ "$rc" -eq 0 ] || inst_fail "setup exited $rc"
    local f
    for f in Tessaly.exe stormtrack.png alert.wav README.txt tessaly-places.exe uninstall.exe; do
        [ -f "$inst/$f" ] || inst_fail "not installed: $inst/$f"
    done
    if [ -n "$zipfile" ] && [ -f "$inst/Tessaly.exe" ]; then
        unzip -p "$zipfile" Tessaly.exe | cmp -s - "$inst/Tessaly.exe" || inst_fail "installed Tessaly.exe differs from the zip's"
    fi
    [ -f "$menu" ] || inst_fail "no Start menu link $menu"
    local shown
    shown=$(inst_reg_value "$uninst" DisplayName) || inst_fail "no uninstall entry $uninst"
    [ "$shown" = Tessaly ] || inst_fail "uninstall DisplayName is '$shown'"
    local want_version
    want_version=$(basename "$setup" | sed -n 's/^Tessaly-\(.*\)-win64-setup\.exe$/\1/p')
    [ -z "$want_version" ] || [ "$(inst_reg_value "$uninst" DisplayVersion)" = "$want_version" ] ||
        inst_fail "uninstall DisplayVersion is not $want_version"
    local un_string
    un_string=$(inst_reg_value "$uninst" UninstallString)
    case $un_string in *'\uninstall.exe"') ;; *) inst_fail "UninstallString is '$un_string'" ;; esac

    [ -f "$inst/README.txt" ] && { inst_readme_check "$inst/README.txt" || inst_fail "the installed README.txt is not the user guide"; }

    # Help > User Guide in the installed program opens README.txt.
    if [ -f "$inst/Tessaly.exe" ] && [ -n "${DISPLAY:-}" ]; then
        inst_guide_test "$local_app\\Programs\\Tessaly\\Tessaly.exe" || status=1
    fi

    # The placefile the program writes into its folder goes with it.
    [ -d "$inst" ] && printf 'Title: Tessaly\r\n' >"$inst/korvel.txt"

    # --- uninstall -------------------------------------------------------
    # The uninstaller copies itself to the temporary folder and returns at
    # once; the copy does the work, so wait for its result.
    t=$(date +%s.%N)
    timeout 120 wine "$local_app\\Programs\\Tessaly\\uninstall.exe" /S
    rc=$?
    [ "$rc" -eq 0 ] || inst_fail "uninstaller exited $rc"
    for _ in $(seq 300); do
        [ ! -e "$inst" ] && ! timeout 60 wine reg query "$uninst" >/dev/null 2>&1 && break
        sleep 0.1
    done
    echo "installer test: uninstall took $(awk "BEGIN{printf \"%.1f\", $(date +%s.%N) - $t}") s"
    for f in Tessaly.exe stormtrack.png alert.wav README.txt tessaly-places.exe korvel.txt uninstall.exe; do
        [ ! -e "$inst/$f" ] || inst_fail "left after uninstall: $inst/$f"
    done
    [ ! -e "$inst" ] || inst_fail "program folder left after uninstall: $inst"
    [ ! -e "$menu" ] || inst_fail "Start menu link left after uninstall"
    ! timeout 60 wine reg query "$uninst" >/dev/null 2>&1 || inst_fail "uninstall entry left after uninstall"
    local after
    after=$(inst_reg_value "$settings" hkselect)
    if [ -z "$before" ] || [ "$after" != "$before" ]; then
        inst_fail "setting hkselect was '$before', after uninstall '$after'"
    fi

    [ "$seeded" -eq 1 ] && timeout 60 wine reg delete 'HKCU\Software\VB and VBA Program Settings\Tessaly' /f >/dev/null 2>&1
    echo "installer test: $([ "$status" -eq 0 ] && echo passed || echo FAILED) in $(awk "BEGIN{printf \"%.1f\", $(date +%s.%N) - $start}") s"
    return "$status"
}

# inst_guide_test WINDOWS-PATH-OF-TESSALY.EXE -> 0 when Help > User Guide opens
# README.txt in a window of the program that shows text files.
inst_guide_test() {
    local settings='HKCU\Software\VB and VBA Program Settings\Tessaly\Korvel3' main guide pid rc=0
    local had_version
    had_version=$(inst_reg_value "$settings" version)
    # Not a first start: no notice box in the way.
    [ -n "$had_version" ] || timeout 60 wine reg add "$settings" /v version /t REG_SZ /d 4.2 /f >/dev/null 2>&1
    timeout 120 wine "$1" >/dev/null 2>&1 &
    pid=$!
    main=$(timeout 30 xdotool search --sync --name '^Tessaly$' | head -n1)
    if [ -z "$main" ]; then
        echo "installer test: the installed Tessaly.exe did not open its window" >&2; rc=1
    else
        # Without a window manager a click, not windowfocus, makes it the active window.
        xdotool mousemove --window "$main" 60 6 click 1; sleep 0.4
        xdotool key alt+h; sleep 0.4; xdotool key u
        guide=$(timeout 20 xdotool search --sync --name 'README' | head -n1)
        if [ -z "$guide" ]; then
            echo "installer test: Help > User Guide opened no README.txt window" >&2; rc=1
        else
            echo "installer test: Help > User Guide opened \"$(xdotool getwindowname "$guide")\""
            xdotool mousemove --window "$guide" 60 6 click 1; sleep 0.3; xdotool key alt+F4; sleep 0.3
        fi
        xdotool mousemove --window "$main" 60 6 click 1; sleep 0.3; xdotool key alt+F4
    fi
    timeout 20 tail --pid="$pid" -f /dev/null || kill "$pid" 2>/dev/null
    [ -n "$had_version" ] || timeout 60 wine reg delete "$settings" /v version /f >/dev/null 2>&1
    return $rc
}

# --- run directly: a session of its own --------------------------------------
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -u
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    version=$("$root/scripts/package.sh" --version) || exit 1
    setup=${1:-$root/dist/Tessaly-$version-win64-setup.exe}
    zipfile=${2:-$root/dist/Tessaly-$version-win64.zip}
    [ -f "$zipfile" ] || zipfile=""
    missing=()
    command -v wine >/dev/null 2>&1 || missing+=(wine)
    [ -e /usr/lib/wine/wine64 ] || missing+=(wine64)
    command -v Xvfb >/dev/null 2>&1 || missing+=(xvfb)
    command -v unzip >/dev/null 2>&1 || missing+=(unzip)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing: ${missing[*]}"
        sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo apt-get update -qq || exit 1
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || exit 1
    fi
    # shellcheck source-path=SCRIPTDIR source=wine-session.sh
    . "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"
    trap 'exit 130' INT TERM
    wine_session_start || exit 1
    wine_installer_test "$setup" ${zipfile:+"$zipfile"}
    exit $?
fi
