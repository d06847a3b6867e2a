#!/bin/sh
# The game's options answer and exit without opening a window; anything else is refused.
game=${1:?usage: command_line_check.sh GAME}
failed=0
out=$("$game" --help) || { echo "--help: exit $?"; failed=1; }
for option in --data --fullscreen --room --side --record --watch --help --version; do
  # Each option's line says what it does, not only its name.
  printf '%s\n' "$out" | grep -qE -- "^  $option( [A-Z]+)? +[a-z]" || { echo "--help does not explain $option"; failed=1; }
done
# --version names the program, its version and both licences.
out=$("$game" --version) && printf '%s\n' "$out" | head -n 1 | grep -qE '^marrowgast [0-9]+\.[0-9]+$' &&
  printf '%s\n' "$out" | grep -q 'MIT licence' && printf '%s\n' "$out" | grep -q '(CC-BY-4.0)' ||
  { echo "--version: $out"; failed=1; }
err=$("$game" --fly 2>&1 >/dev/null); status=$?
[ $status -eq 2 ] || { echo "--fly: exit $status"; failed=1; }
printf '%s\n' "$err" | grep -qx 'marrowgast: unknown option "--fly"; try marrowgast --help' || { echo "--fly said: $err"; failed=1; }
# A word that would drive the terminal is shown escaped, never echoed as it came.
err=$("$game" "$(printf -- '--fly\033[31m')" 2>&1 >/dev/null)
printf '%s\n' "$err" | grep -qF 'unknown option "--fly\x1b[31m"' || { echo "--fly with an escape said: $err"; failed=1; }
# --data names the one place to look: a folder without res/ stops the game before any window.
for args in "--data" "--data=" "--data --fullscreen"; do
  err=$("$game" $args 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] || { echo "$args: exit $status, wanted 2"; failed=1; }
  printf '%s\n' "$err" | grep -q -- '--data needs a value, DIR; try marrowgast --help' || { echo "$args said: $err"; failed=1; }
done
for args in "--room 5" "--room" "--room=0" "--side up" "--side=Left" "--side" "--watch=yes" "--fullscreen=no"; do
  err=$("$game" $args 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] || { echo "$args: exit $status, wanted 2"; failed=1; }
  printf '%s\n' "$err" | grep -qE -- "${args%%[ =]*} (needs|takes no value)" || { echo "$args said: $err"; failed=1; }
done
empty=$(mktemp -d) || exit 1
err=$("$game" --data="$empty" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--data without res/: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -q "there is no res/ folder in $empty" || { echo "--data without res/ said: $err"; failed=1; }
rmdir "$empty"
# No display at all: SDL would fall back to drawing unseen into memory; the game says there is
# no display instead, unless SDL_VIDEODRIVER asked for such a driver.
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 10 "$game" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "no display: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -q "no display to show the game on" || { echo "no display said: $err"; failed=1; }
# A data folder whose first room cannot be read: the folder, the file and the system's reason.
nofirst=$(mktemp -d) || exit 1
mkdir "$nofirst/res"
err=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" --data "$nofirst" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--data without a first room: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -qF "\"$nofirst\": cannot read the first room, \"res/rooms/room1.txt\": No such file or directory" ||
  { echo "--data without a first room said: $err"; failed=1; }
rm -r "$nofirst"
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
err=$("$game" --record "$scratch/no/such/folder/run.keys" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--record into a missing folder: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -qF "cannot write the recording \"$scratch/no/such/folder/run.keys\": No such file or directory" || { echo "--record into a missing folder said: $err"; failed=1; }
# A game that cannot start leaves an old recording as it was and makes no new one; a link (to a
# room file, say) and a pipe are refused before anything is written or waited for.
printf 'keep me\n' >"$scratch/old.keys"
mkdir -p "$scratch/no-rooms/res"
for start in no-driver no-rooms; do
  for file in old.keys new.keys; do
    if [ $start = no-driver ]; then
      SDL_VIDEODRIVER=nosuchdriver "$game" --record "$scratch/$file" >/dev/null 2>&1; status=$?
    else
      SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -k 1 10 "$game" --data "$scratch/no-rooms" --record "$scratch/$file" >/dev/null 2>&1; status=$?
    fi
    [ $status -eq 1 ] || { echo "--record $file with $start: exit $status, wanted 1"; failed=1; }
  done
  [ "$(cat "$scratch/old.keys")" = "keep me" ] || { echo "a failed start ($start) changed the recording: $(cat "$scratch/old.keys")"; failed=1; }
  [ ! -e "$scratch/new.keys" ] || { echo "a failed start ($start) left a new recording"; failed=1; }
done
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
# records where it was told.
mkdir "$scratch/gone"
(cd "$scratch/gone" && rmdir "$scratch/gone" &&
  exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" --room 2 --record "$scratch/gone.keys") &
pid=$!
tries=0
until [ "$(head -n 1 "$scratch/gone.keys" 2>/dev/null)" ] || [ $tries -ge 300 ] || ! kill -0 $pid 2>/dev/null; do
  sleep 0.1; tries=$((tries + 1))
done
kill -TERM $pid 2>/dev/null
wait $pid || { echo "from a deleted working directory: exit $?"; failed=1; }
[ "$(head -n 1 "$scratch/gone.keys" 2>/dev/null)" = "start 2 left 640x480 window" ] || { echo "from a deleted working directory, the recording starts: $(head -n 1 "$scratch/gone.keys")"; failed=1; }
rm -r "$scratch"
[ $failed -eq 0 ] && echo "options answered"
exit $failed
