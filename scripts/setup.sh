#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
#   scripts/setup.sh              what building and playing the game need (./play)
#   scripts/setup.sh --developer  that and the tools of the test suite, the fuzzing, the
#                                 benchmarks and the checks (./test, CI)
#   scripts/setup.sh --windows    that and the MinGW-w64 cross compilers, Wine, GoogleTest's
#                                 sources and a deb-src line for the archive, so the Windows
#                                 libraries build from Debian's source packages (scripts/windows.sh)
#   scripts/setup.sh --web        --developer's, and Emscripten, Chromium, node and npm and a
#                                 deb-src line, for the browser build (scripts/web.sh)
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libsdl2-dev libsdl2-mixer-dev libpng-dev libjpeg62-turbo-dev libfast-float-dev libfmt-dev
  libimgui-dev
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
  --windows)
    packages+=(
      mingw-w64 libz-mingw-w64-dev wine64 wine xvfb xdotool zip dpkg-dev googletest python3
    )
    ;;
  --web)
    packages+=(
      libgtest-dev libgmock-dev libbenchmark-dev
      clang-14 libclang-rt-14-dev clang-tidy-14 clang-format-14 cppcheck
      xvfb xdotool emscripten chromium zip dpkg-dev python3
    )
    ;;
  *)
    echo "usage: scripts/setup.sh [--developer|--windows|--web]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# Node and npm may come from elsewhere (a node that bundles its npm); Debian's otherwise.
if [ "${1:-}" = --web ]; then
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
fi
# The Windows and browser libraries are built from Debian's source packages: apt needs a deb-src line
# for the archive and suites it installs from.
sources=()
if { [ "${1:-}" = --windows ] || [ "${1:-}" = --web ]; } && ! apt-cache showsrc libsdl2 2>/dev/null | grep -q '^Package:'; then
  sources=(/etc/apt/sources.list.d/debian-src.sources)
fi
[ ${#missing[@]} -eq 0 ] && [ ${#sources[@]} -eq 0 ] && exit 0

[ ${#missing[@]} -eq 0 ] || echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "error: these Debian packages are missing and I am neither root nor able to use sudo: ${missing[*]} ${sources[*]}" >&2
  echo "Install them with: apt-get install ${missing[*]}" >&2
  [ ${#sources[@]} -eq 0 ] || echo "and add a deb-src line for the archive as ${sources[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#sources[@]} -gt 0 ]; then
  # The same archive, suites and key as the binary packages come from.
  "${sudo[@]}" tee "${sources[0]}" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
fi
# Another apt may be running (a second build on the machine): wait for its lock.
apt=(apt-get -o DPkg::Lock::Timeout=900)
"${sudo[@]}" "${apt[@]}" update -qq || { echo "error: apt-get update failed" >&2; exit 1; }
[ ${#missing[@]} -eq 0 ] || "${sudo[@]}" "${apt[@]}" install -y -qq "${missing[@]}" >/dev/null || {
  echo "error: could not install: ${missing[*]}" >&2
  exit 1
}
