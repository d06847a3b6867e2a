#!/bin/sh
# Installs this build into a fresh prefix and plays the installed game and tools from an
# unrelated directory: each must find the installed data, and nothing may be written there.
cmake=${1:?usage: install_check.sh CMAKE BUILD_DIR}
build=${2:?usage: install_check.sh CMAKE BUILD_DIR}
work=$(mktemp -d) || exit 1
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
prefix=$work/prefix
elsewhere=$work/elsewhere
mkdir -p "$elsewhere"
failed=0
complain() { echo "$*"; failed=1; }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
data=$prefix/share/games/marrowgast
for f in games/marrowgast bin/marrowgast-check bin/marrowgast-replay bin/marrowgast-solve share/games/marrowgast/res/rooms/room1.txt \
         share/applications/example.marrowgast.Marrowgast.desktop share/metainfo/example.marrowgast.Marrowgast.metainfo.xml \
         share/icons/hicolor/16x16/apps/marrowgast.png share/icons/hicolor/256x256/apps/marrowgast.png \
         share/man/man6/marrowgast.6 share/doc/marrowgast/README.md share/doc/marrowgast/ROOMS.md \
         share/doc/marrowgast/LICENSE share/doc/marrowgast/THIRD-PARTY-NOTICES; do
  [ -f "$prefix/$f" ] || complain "not installed: $f"
done
# Every installed program names its version and the licences, all in the same words.
game_says=$("$prefix/games/marrowgast" --version | tail -n +2)
printf '%s\n' "$game_says" | grep -q 'MIT licence' && printf '%s\n' "$game_says" | grep -q '(CC-BY-4.0)' ||
  complain "installed game --version names no licence: $game_says"
for program in bin/marrowgast-check bin/marrowgast-replay bin/marrowgast-solve; do
  out=$("$prefix/$program" --version) || complain "installed $program --version: exit $?"
  [ "$(printf '%s\n' "$out" | head -n 1)" = "${program#bin/} $("$prefix/games/marrowgast" --version | head -n 1 | cut -d' ' -f2)" ] ||
    complain "installed $program --version starts: $(printf '%s\n' "$out" | head -n 1)"
  [ "$(printf '%s\n' "$out" | tail -n +2)" = "$game_says" ] || complain "installed $program --version says: $out"
done
# The installed data is read-only, as in a package.
chmod -R a-w "$data"

cd "$elsewhere" || exit 1
out=$("$prefix/bin/marrowgast-check" 2>&1); status=$?
[ $status -eq 0 ] && [ "$out" = "no problems found" ] || complain "installed check over the installed data: exit $status: $out"

# The replay tool's Print Screen lands where it was started, not in the data.
printf '3 sysrq down\n4 sysrq up\n' >keys.txt
out=$("$prefix/bin/marrowgast-replay" --steps 10 --keys keys.txt 2>&1); status=$?
[ $status -eq 0 ] || complain "installed replay: exit $status: $out"
[ -f screenshot.png ] || complain "installed replay: no screenshot.png where it was started"

# The game itself, for a few seconds; SDL turns the TERM of the timeout into a quit. Whatever
# sound there is, the only lines on the terminal are the game's own. SDL's dummy video: the
# offscreen one loads EGL, whose libraries keep allocations to the end, which a sanitizer
# build would count against the game.
export SDL_VIDEODRIVER=dummy
# play SECONDS COMMAND...: runs the command in the background and sends it TERM SECONDS after
# it has caught that signal (its handler comes first in main, so a slow start on a loaded
# machine does not meet the default action); it is killed if it has not ended 10 s later.
play() {
  seconds=$1
  shift
  "$@" &
  pid=$!
  tries=0
  while [ $tries -lt 1000 ]; do
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
    [ -n "$mask" ] && [ $((0x$mask & 16384)) -ne 0 ] && break
    sleep 0.01
    tries=$((tries + 1))
  done
  sleep "$seconds"
  kill -s TERM $pid 2>/dev/null
  (sleep 10; kill -s KILL $pid 2>/dev/null) &
  watchdog=$!
  wait $pid
  status=$?
  kill $watchdog 2>/dev/null
  return $status
}
play 3 env -u SDL_AUDIODRIVER "$prefix/games/marrowgast" >out.txt 2>err.txt; status=$?
[ $status -eq 0 ] || complain "installed game: exit $status: $(cat err.txt)"
if grep -qv '^marrowgast: playing without sound' err.txt; then complain "installed game said: $(cat err.txt)"; fi
play 2 "$prefix/games/marrowgast" --fullscreen >/dev/null 2>err.txt; status=$?
[ $status -eq 0 ] || complain "installed game --fullscreen: exit $status: $(cat err.txt)"

# Proof that it was the installed data the game read: without its first room the game stops
# and names it, though the working directory and the source tree are untouched.
chmod u+w "$data/res/rooms" && rm "$data/res/rooms/room1.txt"
err=$(timeout -k 5 10 "$prefix/games/marrowgast" 2>&1); status=$?
[ $status -eq 1 ] || complain "installed game without its first room: exit $status, wanted 1"
printf '%s\n' "$err" | grep -q 'cannot read the first room' || complain "installed game without its first room said: $err"

[ "$(ls "$elsewhere" | sort | tr '\n' ' ')" = "err.txt keys.txt out.txt screenshot.png " ] ||
  complain "files written where the game was started: $(ls "$elsewhere")"
[ $failed -eq 0 ] && echo "installed game and tools find the installed data"
exit $failed
