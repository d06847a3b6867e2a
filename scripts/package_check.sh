#!/usr/bin/env bash
# Builds the Debian package from this tree (running the unit tests), checks it with lintian,
# installs it and runs its autopkgtest (debian/tests: the installed game and tools played
# headless from an unrelated directory), and removes the package again. Needs root (or sudo):
# it installs the packaging tools and the package itself. As root the autopkgtest runs under
# autopkgtest's null virtualisation server, which installs the package; otherwise apt does,
# and the test script runs alone.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$(pwd)

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "error: the package check installs packages and needs root or sudo" >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' marrowgast 2>/dev/null | grep -q 'install ok installed'; then
  echo "error: marrowgast is installed already; the check would replace and remove it" >&2
  exit 1
fi

scripts/setup.sh
tools=(build-essential dpkg-dev debhelper lintian desktop-file-utils appstream autopkgtest
       libgtest-dev libgmock-dev python3)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

work=$(mktemp -d)
cleanup() {
  if dpkg-query -W -f='${Status}' marrowgast 2>/dev/null | grep -q 'install ok installed'; then
    "${sudo[@]}" apt-get purge -y -qq marrowgast >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== desktop entry and metainfo"
desktop-file-validate data/*.desktop
appstreamcli validate --pedantic --no-net data/*.metainfo.xml

echo "== building the package, with its unit tests"
# A copy of the tree without builds, so nothing is written into the checkout.
# The autopkgtest gets a copy of its own, as clean as a source package would be.
tree=$work/marrowgast
pristine=$work/source
mkdir -p "$tree" "$pristine"
tar -C "$source" --exclude=./build --exclude=./.git --exclude='./obj-*' -cf - . | tar -C "$tree" -xf -
tar -C "$tree" -cf - . | tar -C "$pristine" -xf -
(cd "$tree" && dpkg-buildpackage -us -uc -b -j2 >"$work/build.log" 2>&1) || {
  tail -50 "$work/build.log"
  echo "error: dpkg-buildpackage failed" >&2
  exit 1
}
deb=$(ls "$work"/marrowgast_*.deb)
changes=$(ls "$work"/marrowgast_*.changes)
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | grep -v '/res/'

# The GoogleTest cases number in the hundreds: a handful means a test binary lost its tests.
ran=$(sed -n 's/^100% tests passed, 0 tests failed out of \([0-9]*\)$/\1/p' "$work/build.log")
[ "${ran:-0}" -ge 100 ] || { echo "error: the package build ran ${ran:-no} unit tests" >&2; exit 1; }
echo "unit tests at build time: $ran passed"

echo "== lintian"
# Pedantic, and failing on any warning; debian/marrowgast.lintian-overrides says why the one
# overridden tag is.
lintian --pedantic --display-info --fail-on error,warning "$changes"

failed=0
if [ ${#sudo[@]} -eq 0 ]; then
  echo "== autopkgtest, null server: installs the package and plays it"
  autopkgtest --no-built-binaries "$deb" "$pristine/" -- null || failed=1
else
  echo "== installing, and the autopkgtest's script"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
  (cd "$pristine" && debian/tests/installed-game) || failed=1
fi

echo "== removing"
"${sudo[@]}" apt-get purge -y -qq marrowgast >/dev/null
for gone in /usr/games/marrowgast /usr/bin/marrowgast-check /usr/bin/marrowgast-replay /usr/bin/marrowgast-solve \
            /usr/share/games/marrowgast /usr/share/doc/marrowgast /usr/share/man/man6/marrowgast.6.gz; do
  [ ! -e "$gone" ] || { echo "still there after removal: $gone"; failed=1; }
done
[ $failed -eq 0 ] || { echo "package check failed" >&2; exit 1; }
echo "package check passed"
