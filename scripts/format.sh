#!/usr/bin/env bash
# Formats every C++ file the project tracks with its .clang-format; `--check` only reports the
# files that differ and fails when there are any (as CI runs it).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "formatting checked: ${#files[@]} files"
else
  clang-format -i "${files[@]}"
fi
