#!/usr/bin/env bash
# Static analysis over src/ and tools/: clang-tidy (checks in .clang-tidy) and cppcheck, both
# from the debug build's compile database. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset debug -DMARROWGAST_WERROR=ON >/dev/null
db=build/debug/compile_commands.json

# The Windows and browser sides of the platform are not in this build's compile database; their
# own builds (scripts/windows.sh, scripts/web.sh) compile them with warnings as errors.
mapfile -t sources < <(git ls-files 'src/*.cpp' 'tools/*.cpp' | grep -vE '/system/(Win32|Browser)[^/]*\.cpp$')

echo "== clang-tidy (${#sources[@]} files)"
# Two at a time: the machine is shared.
printf '%s\n' "${sources[@]}" | xargs -P 2 -n 4 clang-tidy-14 -p build/debug --quiet 2>/dev/null \
  | tee build/debug/clang-tidy.log
if grep -qE '(warning|error):' build/debug/clang-tidy.log; then
  echo "clang-tidy found problems" >&2
  exit 1
fi

echo "== cppcheck"
# Only our own files; system and library headers are not ours to fix.
cppcheck --project="$db" --enable=warning,performance,portability --inline-suppr --error-exitcode=1 \
  --quiet -j 2 "--file-filter=src/*" "--file-filter=tools/*" \
  --suppress=missingIncludeSystem
echo "lint clean"
