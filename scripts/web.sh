#!/usr/bin/env bash
# Marrowgast in a web browser: builds the folder build/web/marrowgast-VERSION-web/ (and its zip)
# that any static web server serves, and checks it in headless Chromium.
#   scripts/web.sh           install what is missing, build the libraries once, the game, the folder
#   scripts/web.sh --check   that, then the browser check (tests/web/check.sh)
# SDL2, SDL2_mixer, libpng, zlib and libjpeg-turbo are built from Debian's source packages
# with Debian's Emscripten, once, into a cache outside the clone:
# ${MARROWGAST_CACHE:-$HOME/.cache/marrowgast}/web/, keyed by their versions and Emscripten's.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

check=false
case "${1:-}" in
  "") ;;
  --check) check=true ;;
  *)
    echo "usage: scripts/web.sh [--check]" >&2
    exit 2
    ;;
esac

# --- What the build needs from Debian -----------------------------------------------------------

# What ./test needs (the host's replay tool is compared with), Emscripten, Chromium, node and
# npm, and the deb-src line the libraries' sources come from.
scripts/setup.sh --web

# emcc runs its JavaScript parts with Debian's node modules. Its sanity check (node, clang and
# llc asked for their versions) would run at every call, as Debian's cache is read-only: once is
# enough, and saves seconds on each of the thousands of calls of the libraries' configure steps.
export NODE_PATH=/usr/share/nodejs
emcc --check >/dev/null 2>&1 || { emcc --check; exit 1; }
export EMCC_SKIP_SANITY_CHECK=1
jobs=${MARROWGAST_JOBS:-2}

# --- The libraries, from Debian's sources, once -------------------------------------------------

cache=${MARROWGAST_CACHE:-$HOME/.cache/marrowgast}/web
sources=$cache/sources
mkdir -p "$sources"
declare -A source_of
for package in zlib libpng1.6 libjpeg-turbo libsdl2 libsdl2-mixer; do
  source_of[$package]=$(scripts/debian_source.sh "$package" "$sources")
done
emscripten_version=$(cat /usr/share/emscripten/emscripten-version.txt)
# The recipe below is part of the key: changing how the libraries are built builds them again.
recipe=$(sed -n '/^# --- The libraries/,/^# --- The game/p' "$0" | sha256sum | cut -c1-12)
key=$(for p in zlib libpng1.6 libjpeg-turbo libsdl2 libsdl2-mixer; do basename "${source_of[$p]}"; done |
  tr '\n' '_')emscripten-$emscripten_version-$recipe
prefix=$cache/libraries-$(echo "$key" | sha256sum | cut -c1-16)

emcmake_build() { # NAME SOURCE_DIR CMAKE_ARGS...
  local name=$1 source=$2
  shift 2
  local build=$prefix.work/$name
  rm -rf "$build"
  emcmake cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix.work/install" -DCMAKE_PREFIX_PATH="$prefix.work/install" \
    -DCMAKE_FIND_ROOT_PATH="$prefix.work/install" "$@" >"$build.log" 2>&1 ||
    { tail -n 30 "$build.log" >&2; return 1; }
  cmake --build "$build" -j "$jobs" >>"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; return 1; }
  cmake --install "$build" >>"$build.log" 2>&1 || { tail -n 30 "$build.log" >&2; return 1; }
}

build_libraries() {
  local started=$SECONDS
  echo "Building SDL2, SDL2_mixer, libpng, zlib and libjpeg-turbo for WebAssembly into $prefix"
  rm -rf "$prefix.work"
  mkdir -p "$prefix.work/install/include" "$prefix.work/install/lib" "$prefix.work/zlib"
  # zlib by hand: its CMake wants a Windows resource file that Debian's tarball lacks.
  local z=${source_of[zlib]} f
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees \
    trees uncompr zutil; do
    echo "$f"
  done | xargs -P "$jobs" -I{} emcc -O2 -DZ_HAVE_UNISTD_H -c "$z/{}.c" -o "$prefix.work/zlib/{}.o"
  emar rcs "$prefix.work/install/lib/libz.a" "$prefix.work/zlib"/*.o
  cp "$z/zlib.h" "$z/zconf.h" "$prefix.work/install/include/"
  local zlib=(-DZLIB_LIBRARY="$prefix.work/install/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix.work/install/include")

  emcmake_build libpng "${source_of[libpng1.6]}" "${zlib[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF -Dld-version-script=OFF
  # WebAssembly is 32-bit: the sizes CMake cannot run a program to measure.
  emcmake_build libjpeg "${source_of[libjpeg-turbo]}" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DSIZE_T=4 -DUNSIGNED_LONG=4 \
    -DCMAKE_INSTALL_DEFAULT_LIBDIR=lib
  # One thread: the game never starts one, and pages without cross-origin isolation have none.
  emcmake_build sdl2 "${source_of[libsdl2]}" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_PTHREADS=OFF -DSDL2_DISABLE_SDL2MAIN=ON -DSDL_STATIC_PIC=OFF
  # The game's sounds are WAV files: every other format is left out.
  emcmake_build sdl2_mixer "${source_of[libsdl2-mixer]}" -DBUILD_SHARED_LIBS=OFF \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
    -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF \
    -DSDL2MIXER_WAVPACK=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_VENDORED=OFF \
    -DSDL2_DIR="$prefix.work/install/lib/cmake/SDL2" -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
  rm -rf "$prefix"
  mv "$prefix.work/install" "$prefix"
  rm -rf "$prefix.work"
  echo "Libraries built in $((SECONDS - started)) s"
}
[ -f "$prefix/lib/libSDL2.a" ] || build_libraries

# --- The game -----------------------------------------------------------------------------------

started=$SECONDS
# The two header-only libraries come from the host's Debian packages, in a folder of their own
# (the host's /usr/include must not reach a WebAssembly build).
mkdir -p "$prefix/host-include"
cp -rp /usr/include/fast_float /usr/include/fmt "$prefix/host-include/"
cmake --preset web -DMARROWGAST_WERROR=ON -DMARROWGAST_WEB_LIBRARIES="$prefix" >/dev/null
cmake --build --preset web -j "$jobs"

# --- The folder ---------------------------------------------------------------------------------

version=$(sed -n 's/^project(Marrowgast VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=marrowgast-$version-web
folder=build/web/$name
rm -rf "$folder" "build/web/$name.zip"
mkdir -p "$folder"
cp web/index.html build/web/marrowgast.js build/web/marrowgast.wasm build/web/marrowgast.data \
  build/web/marrowgast-replay.js build/web/marrowgast-replay.wasm LICENSE "$folder/"
# What the folder ships besides the game: the libraries' notices, and Emscripten's for its runtime.
cat THIRD-PARTY-NOTICES web/NOTICES-WEB /usr/share/emscripten/system/lib/libc/musl/COPYRIGHT \
  >"$folder/THIRD-PARTY-NOTICES"
(cd build/web && zip -qr "$name.zip" "$name")
# What a player downloads, each file gzipped as a web server would send it.
download=0
for file in "$folder"/index.html "$folder"/marrowgast.{js,wasm,data}; do
  download=$((download + $(gzip -9 <"$file" | wc -c)))
done
echo "Built $folder (and $folder.zip) in $((SECONDS - started)) s; a player downloads $download bytes gzipped"

if $check; then
  tests/web/check.sh "$folder"
fi
