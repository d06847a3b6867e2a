#!/bin/sh
# The game's options answer and exit without opening a window; anything else is refused.
# The same on every system: the process edges that only POSIX has are recording_check.sh's.
game=${1:?usage: command_line_check.sh GAME with-editor|without-editor}
editor=${2:-without-editor}
# How the game names a folder it was given: Windows programs (MARROWGAST_TEST_WINE set) name
# it in their own form, Z:\tmp\... for /tmp/....
shown() { if [ -n "${MARROWGAST_TEST_WINE:-}" ]; then winepath -w "$1" 2>/dev/null; else printf '%s' "$1"; fi; }
# ... and in quotes, as every message quotes a name: a backslash doubled, as in C.
quoted() { printf '"%s"' "$(shown "$1" | sed 's/\\/\\\\/g')"; }
failed=0
out=$("$game" --help) || { echo "--help: exit $?"; failed=1; }
out_help=$out
options="--data --fullscreen --room --side --record --watch --help --version"
[ "$editor" = with-editor ] && options="$options --edit"
for option in $options; do
  # Each option's line says what it does, not only its name.
  printf '%s\n' "$out" | grep -qE -- "^  $option( [A-Z|]+)? +[a-z]" || { echo "--help does not explain $option"; failed=1; }
done
# --version names the program, its version and both licences.
out=$("$game" --version) && printf '%s\n' "$out" | head -n 1 | grep -qE '^marrowgast [0-9]+\.[0-9]+$' &&
  printf '%s\n' "$out" | grep -q 'MIT licence' && printf '%s\n' "$out" | grep -q '(CC-BY-4.0)' ||
  { echo "--version: $out"; failed=1; }
[ "$("$game" -h)" = "$out_help" ] || { echo "-h is not --help"; failed=1; }
err=$("$game" room1 2>&1 >/dev/null); status=$?
[ $status -eq 2 ] && printf '%s\n' "$err" | grep -qx 'marrowgast: unexpected word "room1"; try marrowgast --help' ||
  { echo "a stray word: exit $status, said: $err"; failed=1; }
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
# The room editor: only --data goes with it, and a room file that is no file is refused before any
# window; a build without the editor says so.
if [ "$editor" = with-editor ]; then
  for args in "--edit 1 --record x.keys" "--edit 2 --room 3" "--edit=1 --fullscreen" "--edit"; do
    err=$("$game" $args 2>&1 >/dev/null); status=$?
    [ $status -eq 2 ] || { echo "$args: exit $status, wanted 2"; failed=1; }
    printf '%s\n' "$err" | grep -qE -- "--edit (takes only --data|needs a value)" || { echo "$args said: $err"; failed=1; }
  done
  folder=$(mktemp -d) || exit 1
  err=$(SDL_VIDEODRIVER=dummy "$game" --edit "$folder" 2>&1 >/dev/null); status=$?
  [ $status -eq 1 ] || { echo "--edit of a folder: exit $status, wanted 1"; failed=1; }
  printf '%s\n' "$err" | grep -qF "cannot edit \"$(shown "$folder")\"" || { echo "--edit of a folder said: $err"; failed=1; }
  rmdir "$folder"
else
  printf '%s\n' "$("$game" --help)" | grep -q -- --edit && { echo "--help offers --edit in a build without the editor"; failed=1; }
  err=$("$game" --edit 1 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] || { echo "--edit without the editor: exit $status, wanted 2"; failed=1; }
  printf '%s\n' "$err" | grep -qx 'marrowgast: this build has no room editor; try marrowgast --help' || { echo "--edit without the editor said: $err"; failed=1; }
fi
empty=$(mktemp -d) || exit 1
err=$("$game" --data="$empty" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--data without res/: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -qF "there is no res/ folder in $(shown "$empty")" || { printf '%s\n' "--data without res/ said: $err"; failed=1; }
rmdir "$empty"
# A data folder whose first room cannot be read: the folder, the file and the system's reason.
nofirst=$(mktemp -d) || exit 1
mkdir "$nofirst/res"
err=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" --data "$nofirst" 2>&1 >/dev/null); status=$?
[ $status -eq 1 ] || { echo "--data without a first room: exit $status, wanted 1"; failed=1; }
printf '%s\n' "$err" | grep -qF "$(quoted "$nofirst"): cannot read the first room, \"res/rooms/room1.txt\": No such file or directory" ||
  { printf '%s\n' "--data without a first room said: $err"; failed=1; }
rm -r "$nofirst"
scratch=$(mktemp -d) || exit 1
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
rm -r "$scratch"
[ $failed -eq 0 ] && echo "options answered"
exit $failed
