#!/usr/bin/env bash
# Fetches and unpacks a Debian source package once into a cache and prints the folder it is in:
#   scripts/debian_source.sh PACKAGE CACHE_DIR   ->   CACHE_DIR/PACKAGE-VERSION
# The version is the one apt offers now (the archive's deb-src line must be there: the
# cross-builds call scripts/setup.sh --sources first). A folder already unpacked is reused.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: scripts/debian_source.sh PACKAGE CACHE_DIR" >&2; exit 2; }
package=$1
cache=$2
version=$(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1)
[ -n "$version" ] || { echo "error: apt knows no source package $package (is there a deb-src line?)" >&2; exit 1; }
# The folder name carries the upstream version and Debian revision, without the epoch.
plain=${version#*:}
folder="$cache/$package-$plain"
if [ ! -f "$folder/.unpacked" ]; then
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/.fetch-$package.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get source -qq --download-only "$package=$version" >&2 &&
    dpkg-source --no-check -x ./*.dsc unpacked >&2)
  rm -rf "$folder"
  mv "$work/unpacked" "$folder"
  touch "$folder/.unpacked"
fi
echo "$folder"
