#!/bin/sh
# A copy of the bundled data where each role in turn (room, animation set, image, sound) is a
# pipe, a link to a device, a directory or a link loop: the check names the file, the replay
# plays on, and neither ever waits.
set -u
check=${1:?usage: hostile_tree_check.sh CHECK REPLAY SOURCE_DIR}
replay=${2:?}
source=${3:?}
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
[ $failed -eq 0 ] && echo "every hostile file handled"
exit $failed
