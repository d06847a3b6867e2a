#!/bin/sh
# Fails when code outside src/platform includes SDL, libpng or libjpeg.
src=${1:?usage: seam_check.sh SRC_DIR}
hits=$(grep -rnE '#\s*include\s*[<"](SDL|png\.h|jpeglib\.h)' "$src" --include='*.cpp' --include='*.h' | grep -v "^$src/platform/")
if [ -n "$hits" ]; then
  echo "platform headers included outside src/platform:"
  echo "$hits"
  exit 1
fi
echo "seam intact"
