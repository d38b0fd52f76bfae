#!/usr/bin/env bash
# The Windows release: from a built windows tree makes
#   dist/Tessaly-<version>-win64.zip        Tessaly.exe, stormtrack.png, alert.wav,
#                                            README.txt, tessaly-places.exe
#                                            (README.txt: docs/user-guide.md as plain text)
#   dist/Tessaly-<version>-win64-setup.exe  per-user NSIS installer (packaging/tessaly.nsi)
# The version is the one in CMakeLists.txt's project() line.
#   scripts/package.sh [--build] [BUILD_DIR]   (default build/windows; it must hold Tessaly.exe)
#     --build    first build Tessaly.exe with the windows preset into BUILD_DIR
#   scripts/package.sh --version               prints the version and exits
#   TESSALY_EXE  package this exe instead of BUILD_DIR/Tessaly.exe
#   DIST_DIR     output folder (default dist)
#   BUILD_JOBS   parallel build jobs for --build (default 2)
#   SOURCE_DATE_EPOCH  time stamp of the files in the zip (default: the last commit's)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

version=$(sed -n 's/^[[:space:]]*project([[:space:]]*Tessaly[[:space:]]\{1,\}VERSION[[:space:]]\{1,\}\([0-9][0-9.]*\).*/\1/p' CMakeLists.txt | head -n1)
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "package: no x.y.z version in CMakeLists.txt's project() line (got '$version')" >&2; exit 1
fi
build_first=0
case ${1:-} in
    --version) echo "$version"; exit 0 ;;
    --build) build_first=1; shift ;;
esac
build=${1:-build/windows}
dist=${DIST_DIR:-dist}
# Relative paths are the project root's; from here on every path is absolute.
case $build in /*) ;; *) build="$root/$build" ;; esac
case $dist in /*) ;; *) dist="$root/$dist" ;; esac
exe=${TESSALY_EXE:-$build/Tessaly.exe}
places_tool=$build/tessaly-places.exe

# --- packages (fresh Debian 12) -------------------------------------------
missing=()
command -v zip >/dev/null 2>&1 || missing+=(zip)
command -v makensis >/dev/null 2>&1 || missing+=(nsis)
command -v pandoc >/dev/null 2>&1 || missing+=(pandoc)
if [ "$build_first" -eq 1 ]; then
    command -v cmake >/dev/null 2>&1 || missing+=(cmake)
    command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-pkg-config >/dev/null 2>&1 || missing+=(mingw-w64-tools)
    # The preset configures the tests too, which want the GoogleTest sources.
    [ -e /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# --- build -------------------------------------------------------------------
if [ "$build_first" -eq 1 ]; then
    cmake --preset windows -B "$build" >/dev/null
    cmake --build "$build" -j "${BUILD_JOBS:-2}" --target Tessaly tessaly-places
fi

# --- inputs ----------------------------------------------------------------
[ -f "$exe" ] || { echo "package: $exe not found (build the windows preset first, or set TESSALY_EXE)" >&2; exit 1; }
# A 64-bit Windows program: "MZ", and the PE header's machine field 0x8664.
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
if [ "$(head -c2 "$exe")" != MZ ] || [ "$(od -An -tx1 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')" != 6486 ]; then
    echo "package: $exe is not a 64-bit Windows executable" >&2; exit 1
fi
for f in assets/stormtrack.png assets/alert.wav docs/user-guide.md packaging/guide-text.lua packaging/tessaly.nsi "$places_tool"; do
    [ -f "$f" ] || { echo "package: missing $f" >&2; exit 1; }
done

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 946684800)}
name="Tessaly-$version-win64"
stage="$build/package/$name"
rm -rf "$build/package"; mkdir -p "$stage" "$dist"
if command -v x86_64-w64-mingw32-strip >/dev/null 2>&1; then
    # strip stamps PE headers with the current time unless SOURCE_DATE_EPOCH is set.
    SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/Tessaly.exe" "$exe"
    SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/tessaly-places.exe" "$places_tool"
else
    cp "$exe" "$stage/Tessaly.exe"
    cp "$places_tool" "$stage/tessaly-places.exe"
fi
cp assets/stormtrack.png "$stage/stormtrack.png"
cp assets/alert.wav "$stage/alert.wav"
# The whole user guide as plain text, CR LF so that every Windows editor
# shows the lines, with a byte-order mark so that Notepad reads it as UTF-8.
printf '\xEF\xBB\xBF' >"$stage/README.txt"
pandoc -f gfm -t plain --columns=78 --lua-filter packaging/guide-text.lua docs/user-guide.md |
    sed 's/\r$//; s/$/\r/' >>"$stage/README.txt"

touch -d "@$epoch" "$stage"/*

# --- zip -------------------------------------------------------------------
zipfile="$dist/$name.zip"
rm -f "$zipfile"
# -X: no Unix owners or extra time fields; UTC and fixed times: the same
# inputs give the same zip.
(cd "$stage" && TZ=UTC zip -X -q -9 "$zipfile" Tessaly.exe stormtrack.png alert.wav README.txt tessaly-places.exe)

# --- installer ---------------------------------------------------------------
setup="$dist/$name-setup.exe"
rm -f "$setup"
icon=()
[ -f src/ui/win32/res/tessaly.ico ] && icon=(-DICON="$root/src/ui/win32/res/tessaly.ico")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "${icon[@]}" \
    packaging/tessaly.nsi

echo "zip:       $zipfile ($(stat -c %s "$zipfile") bytes)"
echo "installer: $setup ($(stat -c %s "$setup") bytes)"
