#!/usr/bin/env bash
# The simulator demo: builds tessaly-sim and plays the sample session through the
# headless simulator, printing what the program does, and leaves the
# placefile in a folder it names.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-native.sh
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target tessaly-sim >/dev/null
out=${TESSALY_DEMO_DIR:-$PWD/build/demo}
rm -rf "$out"; mkdir -p "$out"
build/native/tessaly-sim --dir "$out" examples/demo.sim
echo
echo "placefile left in: $out/korvel.txt"
