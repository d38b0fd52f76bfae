#!/bin/bash
# Installs what the Windows build and its runs under Wine need on Debian 12:
# the mingw-w64 cross compiler, GoogleTest's sources, Wine, a headless X
# server and the X tools the tests drive it with, ImageMagick for the
# screenshots, NSIS and zip for the release, pandoc for its README.txt,
# the time-zone sources the build turns into tables (tzdata's rules, CLDR's
# Windows-to-IANA map, the date library's headers), and
# the fonts Wine draws dialogs with: Marlett (the caption buttons) and Tahoma
# come with fonts-wine, Liberation Sans stands in for Segoe UI.
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
need fonts-wine /usr/share/wine/fonts/marlett.ttf
need fonts-liberation2 /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf
need g++-mingw-w64-x86-64-posix x86_64-w64-mingw32-g++-posix
need mingw-w64-tools x86_64-w64-mingw32-pkg-config
need libz-mingw-w64-dev /usr/x86_64-w64-mingw32/include/zlib.h
need googletest /usr/src/googletest/CMakeLists.txt
need xvfb Xvfb
need xdotool xdotool
need x11-xserver-utils xset
need imagemagick import
need python3 python3
need tzdata /usr/share/zoneinfo/tzdata.zi
need libhowardhinnant-date-dev /usr/include/date/ptz.h
need unicode-cldr-core /usr/share/unicode/cldr/common/supplemental/windowsZones.xml
need nsis makensis
need zip zip
need unzip unzip
need pandoc pandoc
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update || exit 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}" || exit 1
fi
