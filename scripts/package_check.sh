#!/usr/bin/env bash
# Builds the Debian package from this tree, checks it with lintian, installs it, plays the
# installed game headless for a few seconds from an unrelated directory, runs the installed
# marrowgast-check over the installed data, and removes the package again. Needs root (or
# sudo): it installs the packaging tools and the package itself.
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
tools=(build-essential dpkg-dev debhelper lintian desktop-file-utils appstream)
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
appstreamcli validate --no-net data/*.metainfo.xml

echo "== building the package"
# A copy of the tree without builds, so nothing is written into the checkout.
tree=$work/marrowgast
mkdir -p "$tree"
tar -C "$source" --exclude=./build --exclude=./.git --exclude='./obj-*' -cf - . | tar -C "$tree" -xf -
(cd "$tree" && dpkg-buildpackage -us -uc -b -j2 >"$work/build.log" 2>&1) || {
  tail -50 "$work/build.log"
  echo "error: dpkg-buildpackage failed" >&2
  exit 1
}
deb=$(ls "$work"/marrowgast_*.deb)
changes=$(ls "$work"/marrowgast_*.changes)
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | grep -v '/res/'

echo "== lintian"
lintian --fail-on error --info "$changes"

echo "== installing"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
cd "$elsewhere"
failed=0

echo "== the installed check over the installed data"
out=$(marrowgast-check 2>&1) || { echo "$out"; failed=1; }
[ "$out" = "no problems found" ] || { echo "marrowgast-check said: $out"; failed=1; }

echo "== the installed game, headless, for a few seconds"
status=0
SDL_VIDEODRIVER=offscreen timeout -k 5 --preserve-status 4 /usr/games/marrowgast >out.txt 2>err.txt || status=$?
cat err.txt
[ $status -eq 0 ] || { echo "the installed game ended with exit $status"; failed=1; }
if grep -qv '^marrowgast: playing without sound' err.txt; then
  echo "the installed game wrote more than its own line"
  failed=1
fi
printf '3 sysrq down\n4 sysrq up\n' >keys.txt
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy marrowgast-replay --steps 10 --keys keys.txt || failed=1
[ -f screenshot.png ] || { echo "the installed replay left no screenshot.png where it was started"; failed=1; }
/usr/games/marrowgast --version

echo "== the packaged build plays the committed tour step for step"
fixture=$source/tests/data/replay
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy marrowgast-replay --steps 1000 --root "$fixture/ring" \
  --keys "$fixture/tour.keys" --trace tour.trace --trace-objects tour.objects || failed=1
cmp tour.trace "$fixture/tour.trace" || { echo "the packaged build's trace differs"; failed=1; }
cmp tour.objects "$fixture/tour.objects" || { echo "the packaged build's object trace differs"; failed=1; }
cd "$source"

echo "== removing"
"${sudo[@]}" apt-get purge -y -qq marrowgast >/dev/null
for gone in /usr/games/marrowgast /usr/bin/marrowgast-check /usr/bin/marrowgast-replay /usr/bin/marrowgast-solve /usr/share/games/marrowgast; do
  [ ! -e "$gone" ] || { echo "still there after removal: $gone"; failed=1; }
done
[ $failed -eq 0 ] || { echo "package check failed" >&2; exit 1; }
echo "package check passed"
