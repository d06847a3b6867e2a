#!/usr/bin/env bash
# The web folder checked: the replay tool built for WebAssembly gives the committed traces byte
# for byte under node, and the page in headless Chromium (browser_check.js) draws what the Linux
# replay tool draws, fast enough, and records runs that replay on Linux.
#   tests/web/check.sh WEB_FOLDER
# scripts/web.sh --check builds the folder and runs this; the Linux replay tool is the release
# build's (built here when missing), puppeteer-core is installed from the committed lock into
# the cache (never a browser: it drives Debian's chromium).
set -euo pipefail
folder=$(realpath "${1:?usage: tests/web/check.sh WEB_FOLDER}")
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
started=$SECONDS
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The Linux replay tool, as ./test builds it.
if [ ! -f build/release/CMakeCache.txt ]; then
  cmake --preset release -DMARROWGAST_WERROR=ON -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build --preset release --target marrowgast-replay >/dev/null
replay=$root/build/release/marrowgast-replay

# The committed traces, from the WebAssembly replay tool on the host's files.
data=tests/data/replay
(cd "$scratch" && node "$folder/marrowgast-replay.js" --steps 1000 --root "$root/$data/ring" \
  --keys "$root/$data/tour.keys" --trace tour.trace --trace-objects tour.objects)
for kind in trace objects; do
  cmp "$data/tour.$kind" "$scratch/tour.$kind"
done
echo "node: marrowgast-replay.js gives the committed tour.trace and tour.objects byte for byte"

# puppeteer-core, pinned by the lock, once per lock.
lock_hash=$(cat tests/web/package.json tests/web/package-lock.json | sha256sum | cut -c1-16)
modules=${MARROWGAST_CACHE:-$HOME/.cache/marrowgast}/web/node-$lock_hash
if [ ! -d "$modules/node_modules/puppeteer-core" ]; then
  rm -rf "$modules"
  mkdir -p "$modules"
  cp tests/web/package.json tests/web/package-lock.json "$modules/"
  (cd "$modules" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi

NODE_PATH=$modules/node_modules node tests/web/browser_check.js "$folder" "$replay" "$scratch"
echo "browser check passed in $((SECONDS - started)) s"
