#!/bin/sh
# A copy of the bundled data where each role in turn (room, animation set, image, sound) is a
# pipe, a link to a device, a directory or a link loop: the check names the file, the replay
# plays on, and neither ever waits. Then hostile surroundings: a working directory that was
# deleted, no temporary directory, and memory the system refuses: every tool says what it could
# not do and exits by itself, never by an abort.
set -u
check=${1:?usage: hostile_tree_check.sh CHECK REPLAY SOURCE_DIR SOLVE}
replay=${2:?}
source=${3:?}
solve=${4:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for target in res/rooms/room1.txt res/textures/player.set res/textures/robot_a.set res/textures/stone.png res/sound/laser.wav; do
  [ -e "$source/$target" ] || { echo "no $target in the bundled data"; exit 1; }
  for kind in fifo device directory loop; do
    rm -rf "$work/tree"
    cp -r "$source/res" "$work/tree-res" 2>/dev/null || true
    mkdir -p "$work/tree" && mv "$work/tree-res" "$work/tree/res"
    rm -f "$work/tree/$target"
    case $kind in
      fifo) mkfifo "$work/tree/$target" ;;
      device) ln -s /dev/zero "$work/tree/$target" ;;
      directory) mkdir "$work/tree/$target" ;;
      loop) ln -s "$work/tree/$target" "$work/tree/$target" ;;
    esac
    out=$(timeout 20 "$check" --root "$work/tree" 2>&1)
    status=$?
    if [ $status -ne 1 ] && [ $status -ne 2 ]; then
      echo "check on $target as $kind: exit $status"; echo "$out"; failed=1
    elif ! printf '%s\n' "$out" | grep -q "$target"; then
      echo "check on $target as $kind does not name it:"; echo "$out"; failed=1
    fi
    timeout 20 "$replay" --root "$work/tree" --steps 300 >/dev/null 2>&1
    status=$?
    # The first room unreadable is a run that cannot start (2); anything else plays on (0).
    if [ $status -ne 0 ] && ! { [ "$target" = res/rooms/room1.txt ] && [ $status -eq 2 ]; }; then
      echo "replay with $target as $kind: exit $status"; failed=1
    fi
  done
done

# exits_by_itself WHAT STATUS OUTPUT: a message and exit 1 or 2, not a signal (134 is an abort).
exits_by_itself() {
  if [ "$2" -ne 1 ] && [ "$2" -ne 2 ]; then
    echo "$1: exit $2"; echo "$3"; failed=1
  elif [ -z "$3" ]; then
    echo "$1: exit $2 without a word"; failed=1
  fi
}
# from_gone WHAT COMMAND...: runs the command in a working directory deleted under it.
from_gone() {
  what=$1
  shift
  mkdir "$work/gone"
  out=$(cd "$work/gone" && rmdir "$work/gone" && timeout 60 "$@" 2>&1 >/dev/null)
  exits_by_itself "$what from a deleted working directory" $? "$out"
}
from_gone "solve --keys-out" "$solve" --root "$source" --room 1 --way east --keys-out out
from_gone "solve --reach" "$solve" --root "$source" --reach
from_gone "solve" "$solve" --room 1 --way east
from_gone "check" "$check"
from_gone "replay --shot" "$replay" --root "$source" --steps 10 --shot 1:x.png
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
