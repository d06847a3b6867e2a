#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
#   scripts/setup.sh              what building and playing the game need (./play)
#   scripts/setup.sh --developer  that and the tools of the test suite, the fuzzing, the
#                                 benchmarks and the checks (./test, CI)
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev libsdl2-mixer-dev libpng-dev libjpeg62-turbo-dev libfast-float-dev libfmt-dev
)
case "${1:-}" in
  "") ;;
  --developer)
    packages+=(
      libgtest-dev libgmock-dev libbenchmark-dev
      clang-14 libclang-rt-14-dev clang-tidy-14 clang-format-14 cppcheck
      xvfb xdotool
    )
    ;;
  *)
    echo "usage: scripts/setup.sh [--developer]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "error: these Debian packages are missing and I am neither root nor able to use sudo: ${missing[*]}" >&2
  echo "Install them with: apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq || { echo "error: apt-get update failed" >&2; exit 1; }
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null || {
  echo "error: could not install: ${missing[*]}" >&2
  exit 1
}
