#!/bin/sh
# Runs marrowgast-check on the game's own res/, with any further options given: it must find
# nothing.
check=${1:?usage: bundled_rooms_check.sh MARROWGAST_CHECK SOURCE_DIR [OPTION...]}
root=${2:?usage: bundled_rooms_check.sh MARROWGAST_CHECK SOURCE_DIR [OPTION...]}
shift 2
out=$("$check" --root "$root" "$@"); status=$?
if [ "$status" -ne 0 ] || [ "$out" != "no problems found" ]; then
  echo "the bundled rooms: exit $status, wanted 0 and \"no problems found\":"
  echo "$out"
  exit 1
fi
echo "$out"
