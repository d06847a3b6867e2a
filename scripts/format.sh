#!/usr/bin/env bash
# Checks that every C++ file is as clang-format leaves it; with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
# Dear ImGui's back end under third_party/ stays as its authors wrote it.
mapfile -t files < <(git ls-files '*.cpp' '*.h' ':!:third_party/*')
if [ "${1:-}" = "--fix" ]; then
  clang-format-14 -i "${files[@]}"
  exit 0
fi
if ! clang-format-14 --dry-run --Werror "${files[@]}"; then
  echo "formatting differs: run scripts/format.sh --fix" >&2
  exit 1
fi
echo "formatting clean (${#files[@]} files)"
