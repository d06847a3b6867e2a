#!/usr/bin/env bash
# Builds the Windows zip and runs its tests under Wine, on Debian 12:
#   scripts/windows.sh            install what is missing, build, make the zip, test
#   scripts/windows.sh --no-tests the zip alone
# MARROWGAST_CACHE moves the cache, MARROWGAST_JOBS sets the build's jobs (2), and
# MARROWGAST_NATIVE_BUILD names a Linux build folder whose tools the Windows ones are compared with.
# The libraries the game links (SDL2, SDL2_mixer, libpng, libjpeg-turbo) are Debian's own
# source packages cross-built once with MinGW-w64 into a cache outside the clone,
# ${MARROWGAST_CACHE:-~/.cache/marrowgast}/windows/, keyed by their versions and the
# toolchain's; zlib is Debian's MinGW build. The zip lands in build/windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

tests=1
case "${1:-}" in
  "") ;;
  --no-tests) tests=0 ;;
  *) echo "usage: scripts/windows.sh [--no-tests]" >&2; exit 2 ;;
esac

scripts/setup.sh --windows

cache=${MARROWGAST_CACHE:-$HOME/.cache/marrowgast}/windows
jobs=${MARROWGAST_JOBS:-2}
triple=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64-x86_64.cmake
# Every build, ours and the libraries', is made the same way twice: no times, no build paths.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
export LC_ALL=C TZ=UTC

# ---- the libraries, once per version -------------------------------------------------------
# Raise when the way they are built changes, so caches made the old way are not used.
recipe=1
sdl2=$(scripts/debian_source.sh libsdl2 "$cache/sources")
mixer=$(scripts/debian_source.sh libsdl2-mixer "$cache/sources")
png=$(scripts/debian_source.sh libpng1.6 "$cache/sources")
jpeg=$(scripts/debian_source.sh libjpeg-turbo "$cache/sources")
compiler=$($triple-g++-posix -dumpfullversion)
zlib=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)
crt=$(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)
key=$(printf '%s\n' "$recipe" "$sdl2" "$mixer" "$png" "$jpeg" "$compiler" "$zlib" "$crt" \
  "$(cat "$toolchain")" | sha256sum | cut -c1-16)
prefix=$cache/libraries-$key
export MARROWGAST_WINDOWS_PREFIX=$prefix

build_library() { # NAME SOURCE CMAKE-OPTIONS...
  local name=$1 source=$2
  shift 2
  local build=$cache/build-$key/$name
  rm -rf "$build"
  echo "windows: building $name ($(basename "$source"))"
  cmake -S "$source" -B "$build" -G Ninja --toolchain "$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_FLAGS="-ffile-prefix-map=$source=$name -ffile-prefix-map=$build=$name" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$build.log" 2>&1 ||
    { tail -n 40 "$build.log" >&2; exit 1; }
  cmake --build "$build" -j "$jobs" >>"$build.log" 2>&1 || { tail -n 40 "$build.log" >&2; exit 1; }
  cmake --install "$build" >>"$build.log" 2>&1 || { tail -n 40 "$build.log" >&2; exit 1; }
  rm -rf "$build"
}

if [ ! -f "$prefix/.complete" ]; then
  started=$SECONDS
  rm -rf "$prefix"
  mkdir -p "$prefix/include" "$cache/build-$key"
  # Number text is header-only: the same headers as the Linux build's.
  cp -r /usr/include/fast_float /usr/include/fmt "$prefix/include/"
  build_library sdl2 "$sdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
  build_library sdl2-mixer "$mixer" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF \
    -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_DEPS_SHARED=OFF
  build_library libpng "$png" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY=/usr/$triple/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$triple/include
  build_library libjpeg-turbo "$jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF
  rm -rf "$cache/build-$key"
  touch "$prefix/.complete"
  echo "windows: libraries built in $((SECONDS - started)) s into $prefix"
fi

# ---- the game and its tools ----------------------------------------------------------------
build=$root/build/windows
version=$(sed -n 's/^project(Marrowgast VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
started=$SECONDS
cmake --preset windows -DMARROWGAST_WERROR=ON -DBUILD_TESTING=$([ $tests = 1 ] && echo ON || echo OFF) >/dev/null
programs=(marrowgast marrowgast-check marrowgast-replay marrowgast-solve)
cmake --build --preset windows -j "$jobs" --target "${programs[@]}"
echo "windows: programs built in $((SECONDS - started)) s"

# ---- the zip: the same bytes from the same commit ------------------------------------------
zip=$build/marrowgast-$version-windows-x86_64.zip
python3 - "$zip" "marrowgast-$version" "$SOURCE_DATE_EPOCH" \
  "${programs[@]/#/$build/}" <<'PYTHON'
import os, sys, time, zipfile
zip_path, top, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
programs = [p + ".exe" for p in sys.argv[4:]]
# Zip times are local date and time from 1980 on: the commit's, in UTC.
stamp = max(time.gmtime(max(epoch, 315532800))[:6], (1980, 1, 1, 0, 0, 0))
entries = [(os.path.basename(p), p) for p in programs]
entries += [("README.md", "README.md"), ("LICENSE.txt", "LICENSE"),
            ("THIRD-PARTY-NOTICES.txt", "THIRD-PARTY-NOTICES")]
for folder, _, names in os.walk("res"):
    entries += [(os.path.join(folder, n), os.path.join(folder, n)) for n in names]
entries.sort()
part = zip_path + ".part"
with zipfile.ZipFile(part, "w") as archive:
    for name, source in entries:
        info = zipfile.ZipInfo(top + "/" + name.replace(os.sep, "/"), stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0
        info.external_attr = 0
        with open(source, "rb") as f:
            archive.writestr(info, f.read(), compresslevel=9)
os.replace(part, zip_path)
PYTHON
(cd "$build" && sha256sum "$(basename "$zip")" >"$(basename "$zip").sha256")
echo "windows: $zip ($(stat -c %s "$zip") bytes), sha256 $(cut -d' ' -f1 "$zip.sha256")"
[ $tests = 1 ] || exit 0

# ---- the tests, under Wine -----------------------------------------------------------------
# The Linux tools of the same commit, to compare with: MARROWGAST_NATIVE_BUILD when given, else
# ./test's release build when it is there, else a build of the three tools alone.
if [ -n "${MARROWGAST_NATIVE_BUILD:-}" ]; then
  native=$(cd "$MARROWGAST_NATIVE_BUILD" && pwd)
elif [ -f build/release/CMakeCache.txt ]; then
  native=$root/build/release
else
  native=$build-native
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DMARROWGAST_WERROR=ON >/dev/null
fi
started=$SECONDS
cmake --build "$native" -j "$jobs" --target marrowgast-replay marrowgast-check marrowgast-solve
cmake --preset windows -DMARROWGAST_NATIVE_REPLAY="$native/marrowgast-replay" >/dev/null
cmake --build --preset windows -j "$jobs"
echo "windows: tests and the Linux tools built in $((SECONDS - started)) s"

export WINEPREFIX=${WINEPREFIX:-${MARROWGAST_CACHE:-$HOME/.cache/marrowgast}/windows/wine}
started=$SECONDS
# One Wine server for the whole run, so each test starts in a fraction of a second. Its desktop
# needs an X display from the start: a server started without one opens no window for anyone
# ("Couldn't create window"), whatever display a later program names.
# Wine names files on Linux in the locale's character set: in plain C, a name that is not ASCII
# cannot be made or found, so the tests (and their Wine server) run in UTF-8.
export LC_ALL=C.UTF-8
scratch=$(mktemp -d)
xvfb=
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null; rm -rf "$scratch"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { echo "windows: Xvfb did not start: $(cat "$scratch/xvfb.log")" >&2; exit 1; }
export DISPLAY=:$(cat "$scratch/display")
wineserver -k 2>/dev/null || true
scripts/wine_run.sh cmd /c exit >/dev/null 2>&1 || true
wineserver -p 60 2>/dev/null || true
status=0
# A test that fails is run once more before it counts: under Wine a test program has failed
# to start at all now and then (one case, in 0.09 s, that passed alone and in other full runs).
ctest --preset windows -j "$jobs" --repeat until-pass:2 || status=$?
echo "windows: suite ran under Wine in $((SECONDS - started)) s; skipped on Windows, and why:"
sed 's/^/  /' "$build/skipped-on-windows.txt"

# The traces and pictures of every fixture and every room at the three sizes, as on Linux.
started=$SECONDS
snapshots=$scratch/snapshots
scripts/replay_snapshot.sh "$native" "$snapshots/linux" >/dev/null
scripts/replay_snapshot.sh "$build" "$snapshots/windows" >/dev/null
scripts/replay_snapshot.sh --compare "$snapshots/linux" "$snapshots/windows" || status=1
echo "windows: snapshots compared in $((SECONDS - started)) s"
exit $status
