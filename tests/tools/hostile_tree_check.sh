#!/bin/sh
# A copy of the bundled data where each role in turn (room, animation set, image, sound) is a
# pipe, a link to a device, a directory, a link loop or a link to a file that never ends: the
# check names the file, the replay plays on, and neither ever waits. Then a key script that
# never ends, and a huge junk file named as an image on many lines of one room. Then hostile
# surroundings: a working directory that was deleted (every tool works there with absolute
# names and says where it looked for a relative one), no temporary directory, and memory the
# system refuses: every tool says what it could not do and exits by itself, never by an abort.
set -u
check=${1:?usage: hostile_tree_check.sh CHECK REPLAY SOURCE_DIR SOLVE}
replay=${2:?}
source=${3:?}
solve=${4:?}
# Each run takes about a tenth of a second in a debug build; the bound leaves room for the
# sanitizers on a machine busy with other builds (2 s was passed there now and then), and is
# far below a read that waits for a writer (cut at 20 s) or a file that never ends (minutes).
limit_ms=${HOSTILE_LIMIT_MS:-8000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Runs the command, keeping its output in $out and its status in $status, and fails when it
# takes longer than the bound.
timed() {
  what=$1
  shift
  start=$(now_ms)
  out=$(timeout 20 "$@" 2>&1)
  status=$?
  took=$(($(now_ms) - start))
  if [ $took -gt "$limit_ms" ]; then
    echo "$what took $took ms, more than $limit_ms"; failed=1
  fi
}
fresh_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree" && cp -r "$source/res" "$work/tree/res"
}
# A file under /proc that reports size 0 and yields bytes for gigabytes.
endless=/proc/self/pagemap
kinds="fifo device directory loop endless"
if ! [ -r $endless ]; then
  echo "skipped the endless file: $endless cannot be read here"
  kinds="fifo device directory loop"
fi
for target in res/rooms/room1.txt res/textures/player.set res/textures/robot_a.set res/textures/stone.png res/sound/laser.wav; do
  [ -e "$source/$target" ] || { echo "no $target in the bundled data"; exit 1; }
  for kind in $kinds; do
    fresh_tree
    rm -f "$work/tree/$target"
    case $kind in
      fifo) mkfifo "$work/tree/$target" ;;
      device) ln -s /dev/zero "$work/tree/$target" ;;
      directory) mkdir "$work/tree/$target" ;;
      loop) ln -s "$work/tree/$target" "$work/tree/$target" ;;
      endless) ln -s $endless "$work/tree/$target" ;;
    esac
    timed "check on $target as $kind" "$check" --root "$work/tree"
    if [ $status -ne 1 ] && [ $status -ne 2 ]; then
      echo "check on $target as $kind: exit $status"; echo "$out"; failed=1
    elif ! printf '%s\n' "$out" | grep -q "$target"; then
      echo "check on $target as $kind does not name it:"; echo "$out"; failed=1
    fi
    timed "replay with $target as $kind" "$replay" --root "$work/tree" --steps 300
    # The first room unreadable is a run that cannot start (2); anything else plays on (0).
    if [ $status -ne 0 ] && ! { [ "$target" = res/rooms/room1.txt ] && [ $status -eq 2 ]; }; then
      echo "replay with $target as $kind: exit $status"; failed=1
    fi
  done
done

# A key script that never ends is named, with the reason, before anything runs.
if [ -r $endless ]; then
  ln -s $endless "$work/endless.keys"
  timed "replay with an endless key script" "$replay" --root "$source" --keys "$work/endless.keys" --steps 10
  if [ $status -ne 2 ] || ! printf '%s\n' "$out" | grep -q "endless.keys\": cannot read the key script: .*never end"; then
    echo "replay with an endless key script: exit $status"; echo "$out"; failed=1
  fi
fi

# 300 MB of junk (sparse: no disk) as the image of forty platforms: each is refused from its
# first bytes.
fresh_tree
truncate -s 300M "$work/tree/res/textures/junk.png"
{
  echo "entrypoint position 1 29 side left"
  echo "entrypoint position 37 29 side right"
  i=0
  while [ $i -lt 40 ]; do
    echo "platform start $((i % 39)) 30 end $((i % 39)) 30 texture res/textures/junk.png"
    i=$((i + 1))
  done
} >"$work/tree/res/rooms/room1.txt"
timed "check with a junk image on 40 lines" "$check" --root "$work/tree" res/rooms/room1.txt
if [ $status -ne 1 ] || [ "$(printf '%s\n' "$out" | grep -c 'the image "res/textures/junk.png" is not a PNG or JPEG')" -ne 40 ]; then
  echo "check with a junk image on 40 lines: exit $status"; echo "$out"; failed=1
fi
timed "replay with a junk image on 40 lines" "$replay" --root "$work/tree" --steps 300
[ $status -eq 0 ] || { echo "replay with a junk image on 40 lines: exit $status"; echo "$out"; failed=1; }


# exits_by_itself WHAT STATUS OUTPUT: a message and exit 1 or 2, not a signal (134 is an abort).
exits_by_itself() {
  if [ "$2" -ne 1 ] && [ "$2" -ne 2 ]; then
    echo "$1: exit $2"; echo "$3"; failed=1
  elif [ -z "$3" ]; then
    echo "$1: exit $2 without a word"; failed=1
  fi
}
# from_gone WHAT COMMAND...: runs the command in a working directory deleted under it, its
# status in $status and what it said in $out.
from_gone() {
  what=$1
  shift
  mkdir "$work/gone"
  out=$(cd "$work/gone" && rmdir "$work/gone" && timeout 60 "$@" 2>&1 >/dev/null)
  status=$?
}
# worked [FILE]: the last run from a deleted working directory ended well, and wrote FILE.
worked() {
  if [ $status -ne 0 ] || { [ $# -gt 0 ] && [ ! -s "$1" ]; }; then
    echo "$what from a deleted working directory: exit $status"; echo "$out"; failed=1
  fi
}
# With absolute names every tool works there, and finds its data by itself too.
mkdir "$work/solved"
from_gone "solve --keys-out" "$solve" --root "$source" --room 1 --way east --keys-out "$work/solved"
worked "$work/solved/room1-east.keys"
from_gone "solve --reach" "$solve" --root "$source" --reach
worked
from_gone "solve" "$solve" --room 1 --way east
worked
from_gone "check" "$check"
worked
from_gone "replay --shot" "$replay" --root "$source" --steps 10 --shot "1:$work/x.png"
worked "$work/x.png"
# A relative name is the working directory's, and the message says that is where it was looked for.
from_gone "solve --keys-out out" "$solve" --root "$source" --room 1 --way east --keys-out out
exits_by_itself "$what from a deleted working directory" $status "$out"
printf '%s\n' "$out" | grep -q 'cannot find "out" from the working directory' || { echo "$what said: $out"; failed=1; }
from_gone "replay --shot 1:x.png" "$replay" --root "$source" --steps 10 --shot 1:x.png
exits_by_itself "$what from a deleted working directory" $status "$out"
printf '%s\n' "$out" | grep -q '"x.png": cannot find it from the working directory' || { echo "$what said: $out"; failed=1; }
out=$(TMPDIR=$work/none timeout 60 "$solve" --root "$source" --reach 2>&1 >/dev/null)
exits_by_itself "solve --reach without a temporary directory" $? "$out"

# The system refusing memory below the solver's bound (a limit on the address space): the
# search stops and says so. The sanitizers reserve more address space than any such limit.
if ldd "$solve" 2>/dev/null | grep -q 'lib[atl]san' || grep -q __asan_init "$solve"; then
  echo "skipped the refused-memory case: $solve is built with a sanitizer"
else
  mkdir -p "$work/robots" && cp -r "$source/res" "$work/robots/res"
  yes 'robot start 2 4 texture res/textures/robot_a.set' | head -n 10000 >>"$work/robots/res/rooms/room2.txt"
  out=$(ulimit -v 100000 && timeout 60 "$solve" --root "$work/robots" --room 2 --way east --max-memory 4096 2>/dev/null)
  status=$?
  exits_by_itself "solve with memory refused" $status "$out"
  printf '%s\n' "$out" | grep -Eq '^room 2 east: search stopped after [0-9]+ states: out of memory below the memory bound of 4096 MiB \([0-9]+ bytes held\)$' ||
    { echo "solve with memory refused: $out"; failed=1; }
fi
[ $failed -eq 0 ] && echo "every hostile file handled"
exit $failed
