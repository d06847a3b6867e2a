#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests: scripts/wine_run.sh PROGRAM.exe [ARGS...]
# Exit status, standard streams and environment are the program's. The Wine prefix is made
# once, under ${MARROWGAST_CACHE:-~/.cache/marrowgast}/windows/wine (or WINEPREFIX when set);
# without Mono and Gecko asked for, and without Wine's own messages, a program starts in a
# second or two.
set -euo pipefail
export WINEPREFIX=${WINEPREFIX:-${MARROWGAST_CACHE:-$HOME/.cache/marrowgast}/windows/wine}
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all WINEARCH=win64
if [ ! -f "$WINEPREFIX/.made" ]; then
  mkdir -p "$WINEPREFIX"
  # Two tests starting at once make it once.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.made" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver --wait || true
      touch "$WINEPREFIX/.made"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
