#!/usr/bin/env bash
# Every C++ file stays as clang-format 14 writes it with the tree's
# .clang-format; a file that differs fails the run with the lines to change.
# Format one with: clang-format-14 -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=$(command -v clang-format-14 || true)
if [ -z "$fmt" ]; then
  echo "check-format: clang-format-14 is missing (scripts/setup-native.sh installs it)" >&2
  exit 1
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
else
  mapfile -d '' files < <(find src tests tools bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0)
fi
"$fmt" --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files as the formatter writes them"
