#!/bin/sh
# The game's edges with the system that only POSIX has: no display, a stop signal ending a
# recording, a recording refused through a link or a pipe or cut short by the system, a deleted
# working directory.
game=${1:?usage: recording_check.sh GAME}
failed=0
# No display at all: SDL would fall back to drawing unseen into memory; the game says there is
# no display instead, unless SDL_VIDEODRIVER asked for such a driver.
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 10 "$game" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "no display: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -q "no display to show the game on" || { echo "no display said: $err"; failed=1; }
# --room and --side start the game there; --record says so on its first line and, once a stop
# signal ends the game, where the player was on its last. While it records, a second game is
# refused the file at once.
scratch=$(mktemp -d) || exit 1
# Dummy video: the offscreen driver loads EGL libraries that leak under the sanitizers.
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" --room 3 --side=right --record "$scratch/run.keys" &
pid=$!
# The first step writes the start line: waited for, not guessed.
tries=0
until [ "$(head -n 1 "$scratch/run.keys" 2>/dev/null)" ] || [ $tries -ge 300 ]; do sleep 0.1; tries=$((tries + 1)); done
err=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -k 1 10 "$game" --record "$scratch/run.keys" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--record of a file being recorded: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -qF "cannot write the recording \"$scratch/run.keys\": another program is writing it" || { echo "--record of a file being recorded said: $err"; failed=1; }
kill -TERM $pid
wait $pid || { echo "--room 3 --side=right --record: exit $?"; failed=1; }
[ "$(head -n 1 "$scratch/run.keys")" = "start 3 right 640x480 window" ] || { echo "recording starts: $(head -n 1 "$scratch/run.keys")"; failed=1; }
tail -n 1 "$scratch/run.keys" | grep -qE '^end [0-9]+ 3 ' || { echo "recording ends: $(tail -n 1 "$scratch/run.keys")"; failed=1; }
# A recording the system stops taking (here a file that may not grow) is said when it happens;
# the game plays on and, ended, says by its status that the run was not all recorded.
# --foreground: otherwise timeout sends the signal to the game and again to its process group,
# and a second stop signal handled after the first ends the game at once (asked twice).
err=$( (trap '' XFSZ; ulimit -f 0; SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout --foreground --preserve-status -s TERM 6 "$game" --record "$scratch/full.keys") 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--record into a file that may not grow: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -qF "cannot write the recording \"$scratch/full.keys\": File too large; recording stopped" || { echo "--record into a file that may not grow said: $err"; failed=1; }
printf 'keep me\n' >"$scratch/old.keys"
ln -s old.keys "$scratch/link.keys"
mkfifo "$scratch/pipe.keys"
for file in link.keys pipe.keys; do
  case $file in link.keys) why="it is a symbolic link" ;; *) why="it is a pipe, not a regular file" ;; esac
  err=$(SDL_VIDEODRIVER=nosuchdriver timeout -k 1 5 "$game" --record "$scratch/$file" 2>&1 >/dev/null); status=$?
  [ $status -eq 1 ] || { echo "--record $file: exit $status, wanted 1"; failed=1; }
  printf '%s\n' "$err" | grep -qF "cannot write the recording \"$scratch/$file\": $why" || { echo "--record $file said: $err"; failed=1; }
done
[ "$(cat "$scratch/old.keys")" = "keep me" ] || { echo "--record through a link wrote: $(cat "$scratch/old.keys")"; failed=1; }
# Started in a folder deleted under it, the game plays: it finds its data by itself and
# records where it was told, full screen as asked.
mkdir "$scratch/gone"
(cd "$scratch/gone" && rmdir "$scratch/gone" &&
  exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" --room 2 --fullscreen --record "$scratch/gone.keys") &
pid=$!
tries=0
until [ "$(head -n 1 "$scratch/gone.keys" 2>/dev/null)" ] || [ $tries -ge 300 ] || ! kill -0 $pid 2>/dev/null; do
  sleep 0.1; tries=$((tries + 1))
done
kill -TERM $pid 2>/dev/null
wait $pid || { echo "from a deleted working directory: exit $?"; failed=1; }
[ "$(head -n 1 "$scratch/gone.keys" 2>/dev/null)" = "start 2 left 640x480 full" ] || { echo "from a deleted working directory, the recording starts: $(head -n 1 "$scratch/gone.keys")"; failed=1; }
rm -r "$scratch"
[ $failed -eq 0 ] && echo "recordings and system edges answered"
exit $failed
