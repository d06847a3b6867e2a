#!/usr/bin/env bash
# Unpacks Debian's source of PACKAGE once into CACHE_DIR/PACKAGE-VERSION and prints that folder.
#   scripts/debian_source.sh PACKAGE CACHE_DIR
# The version is the candidate apt knows (deb-src lines needed); a folder already unpacked for
# it is used again without asking the network. Unpacking goes through a scratch folder, so an
# interrupted run leaves nothing that looks finished.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: scripts/debian_source.sh PACKAGE CACHE_DIR" >&2
  exit 2
fi
package=$1
cache=$2

version=$(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1)
if [ -z "$version" ]; then
  echo "error: apt knows no source package $package (is there a deb-src line, and has apt-get update run?)" >&2
  exit 1
fi
# The epoch (1:) is no part of a folder's name.
folder="$cache/$package-${version#*:}"
if [ -f "$folder/.unpacked" ]; then
  echo "$folder"
  exit 0
fi

mkdir -p "$cache"
scratch=$(mktemp -d "$cache/.fetch-$package-XXXXXX")
# apt fetches as its own user where it can.
chmod 755 "$scratch"
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && apt-get source -qq --only-source "$package=$version" >&2)
unpacked=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d | head -n 1)
if [ -z "$unpacked" ]; then
  echo "error: apt-get source $package=$version unpacked nothing" >&2
  exit 1
fi
rm -rf "$folder"
mv "$unpacked" "$folder"
touch "$folder/.unpacked"
echo "$folder"
