#!/bin/sh
# A copy of the bundled data where each role in turn (room, animation set, image, sound) is a
# pipe, a link to a device, a directory, a link loop or a link to a file that never ends: the
# check names the file, the replay plays on, and neither ever waits. Then a key script that
# never ends, and a huge junk file named as an image on many lines of one room.
set -u
check=${1:?usage: hostile_tree_check.sh CHECK REPLAY SOURCE_DIR}
replay=${2:?}
source=${3:?}
# Each run takes about a tenth of a second in a debug build; the bound leaves room for the
# sanitizers and a busy machine, and is far below reading a file that never ends.
limit_ms=${HOSTILE_LIMIT_MS:-2000}
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
  if [ $status -ne 2 ] || ! printf '%s\n' "$out" | grep -q "endless.keys: cannot read the key script: .*never end"; then
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

[ $failed -eq 0 ] && echo "every hostile file handled"
exit $failed
