#!/bin/sh
# The headless tools show no window and play no sound, so they load neither SDL nor its mixer;
# the game, which loads both, shows that the look finds them. Linux only: ldd names what the
# loader would load.
game=${1:?usage: headless_libraries_check.sh GAME TOOL...}
shift
[ "$(uname -s)" = Linux ] || { echo "skipped: ldd lists the libraries a program loads on Linux only"; exit 77; }
command -v ldd >/dev/null 2>&1 || { echo "skipped: ldd is not installed"; exit 77; }

libraries=$(ldd "$game") || { echo "ldd cannot read $game"; exit 1; }
for wanted in libSDL2-2 libSDL2_mixer-2; do
  echo "$libraries" | grep -q "$wanted" || { echo "the game loads no $wanted: the look is blind"; echo "$libraries"; exit 1; }
done
status=0
for tool in "$@"; do
  libraries=$(ldd "$tool") || { echo "ldd cannot read $tool"; exit 1; }
  if echo "$libraries" | grep -q libSDL2; then
    echo "$(basename "$tool") loads SDL:"
    echo "$libraries" | grep libSDL2
    status=1
  fi
done
exit $status
