#!/bin/sh
# The README's pictures of the rooms are the replay tool's drawings of the rooms as they ship:
# each is drawn again and must be the committed file, byte for byte.
# Usage: room_pictures_check.sh REPLAY SOURCE_ROOT
set -eu
replay=$1
root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
draw() {
    "$replay" --root "$root" --room "$2" --steps "$3" --shot "$3:$work/$1.png" >/dev/null
    if ! cmp -s "$work/$1.png" "$root/docs/rooms/$1.png"; then
        echo "docs/rooms/$1.png is not a fresh drawing; draw it again:" \
            "marrowgast-replay --room $2 --steps $3 --shot $3:docs/rooms/$1.png"
        status=1
    fi
}
draw room1 1 0
draw room2 2 0
draw room3 3 0
draw room4 4 0
# Step 400: both of the keep's beams are firing.
draw room4-lasers 4 400
exit $status
