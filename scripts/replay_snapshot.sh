#!/bin/sh
# What the programs make of every committed fixture, kept to compare one build with another:
# the replay tool's traces and pictures of the tour, of every ring walk and of every room at
# the three window sizes, the screenshots a Print Screen writes, and what the room check and
# the solver print. A change meant to keep behaviour shows byte-identical snapshots.
#
#   scripts/replay_snapshot.sh BUILD_DIR OUT_DIR          take a snapshot (OUT_DIR must be new)
#   scripts/replay_snapshot.sh --compare OUT_DIR OUT_DIR  cmp every file of two snapshots
#
# BUILD_DIR holds marrowgast-replay, marrowgast-check and marrowgast-solve, or their .exe of a
# Windows build, which run under Wine (scripts/wine_run.sh). Timings and other
# machine-dependent lines (standard error of the solver) are left out.
set -u

if [ "${1:-}" = "--compare" ]; then
  a=${2:?usage: replay_snapshot.sh --compare OUT_DIR OUT_DIR}
  b=${3:?usage: replay_snapshot.sh --compare OUT_DIR OUT_DIR}
  differ=0
  files=0
  for name in $( (cd "$a" && find . -type f; cd "$b" && find . -type f) | sort -u); do
    files=$((files + 1))
    if [ ! -f "$a/$name" ] || [ ! -f "$b/$name" ]; then
      echo "only in one snapshot: $name"
      differ=$((differ + 1))
    elif ! cmp -s "$a/$name" "$b/$name"; then
      echo "differs: $name"
      differ=$((differ + 1))
    fi
  done
  echo "$files files, $differ differ"
  [ "$differ" -eq 0 ]
  exit
fi

build=$(cd "${1:?usage: replay_snapshot.sh BUILD_DIR OUT_DIR}" && pwd) || exit 1
out=${2:?usage: replay_snapshot.sh BUILD_DIR OUT_DIR}
source=$(cd "$(dirname "$0")/.." && pwd) || exit 1
[ -e "$out" ] && { echo "$out exists; name a new folder"; exit 1; }
mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
replay=$build/marrowgast-replay
check=$build/marrowgast-check
solve=$build/marrowgast-solve
# A Windows build's tools (marrowgast-replay.exe...) run under Wine, from the same folders.
if [ -f "$build/marrowgast-replay.exe" ]; then
  mkdir "$scratch/wine"
  for tool in replay check solve; do
    printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$source/scripts/wine_run.sh" "$build/marrowgast-$tool.exe" \
      >"$scratch/wine/marrowgast-$tool"
    chmod +x "$scratch/wine/marrowgast-$tool"
  done
  replay=$scratch/wine/marrowgast-replay
  check=$scratch/wine/marrowgast-check
  solve=$scratch/wine/marrowgast-solve
fi
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

# run NAME COMMAND...: in OUT_DIR, standard output, standard error and the exit status kept.
run() {
  name=$1
  shift
  (cd "$out" && "$@" >"$name.out" 2>"$name.err"; echo $? >"$name.status")
}

sizes="640x480 800x600 1024x768"

# The tour, with its traces, at every size.
for size in $sizes; do
  run "tour-$size" "$replay" --steps 1000 --root "$source/tests/data/replay/ring" \
    --keys "$source/tests/data/replay/tour.keys" --size "$size" \
    --trace "tour-$size.trace" --trace-objects "tour-$size.objects" \
    --shot "0:tour-$size-0.png" --shot "250:tour-$size-250.png" --shot "500:tour-$size-500.png" \
    --shot "750:tour-$size-750.png" --shot "900:tour-$size-900.png"
done

# Each room crossed both ways by its committed key script.
for room in 1 2 3 4; do
  for way in right left; do
    if [ "$way" = right ]; then side=left; else side=right; fi
    for size in $sizes; do
      name="walk$room-$way-$size"
      run "$name" "$replay" --steps 1000 --root "$source" --room "$room" --side "$side" \
        --keys "$source/tests/data/rooms/room$room-$way.keys" --size "$size" \
        --trace "$name.trace" --trace-objects "$name.objects" \
        --shot "0:$name-0.png" --shot "300:$name-300.png" --shot "600:$name-600.png" \
        --shot "1000:$name-1000.png"
    done
  done
done

# Every room from each side at every size: standing, and left to itself for a while.
for room in 1 2 3 4; do
  for side in left right; do
    for size in $sizes; do
      name="room$room-$side-$size"
      run "$name-still" "$replay" --root "$source" --room "$room" --side "$side" --steps 0 \
        --shot "0:$name-0.png" --size "$size"
      run "$name" "$replay" --root "$source" --room "$room" --side "$side" --steps 240 --size "$size" \
        --trace "$name.trace" --trace-objects "$name.objects" \
        --shot "60:$name-60.png" --shot "240:$name-240.png"
    done
    run "room$room-$side-grid" "$replay" --root "$source" --room "$room" --side "$side" --steps 30 \
      --grid --shot "30:room$room-$side-grid.png"
  done
done

# Print Screen: under --root when it is given, else where the tool was started.
printf '10 sysrq down\n11 sysrq up\n' >"$scratch/print.keys"
cp -r "$source/tests/data/replay/ring" "$scratch/ring"
run screenshot-root "$replay" --root "$scratch/ring" --keys "$scratch/print.keys" --steps 20 --trace screenshot-root.trace
mv "$scratch/ring/screenshot.png" "$out/screenshot-root.png"
run screenshot-found "$replay" --keys "$scratch/print.keys" --steps 20 --trace screenshot-found.trace
mv "$out/screenshot.png" "$out/screenshot-found.png"

# What goes wrong is said the same way.
run missing-root "$replay" --root nowhere --steps 1
run missing-keys "$replay" --root "$source" --keys nowhere.keys --steps 1
cp -r "$source/tests/data/check/clean" "$scratch/clean"
rm "$scratch/clean/res/rooms/room3.txt"
(cd "$scratch" && "$replay" --root clean --room 3 --steps 1 --trace - >"$out/unreadable-room.out" 2>"$out/unreadable-room.err")

# The room check, on faulty and clean rooms and on the bundled ones, named both ways.
run check-bad "$check" --root "$source/tests/data/check/bad"
run check-clean "$check" --root "$source/tests/data/check/clean"
run check-bundled "$check" --root "$source"
run check-named "$check" --root "$source/tests/data/check/bad" res/rooms/room1.txt res/rooms/nowhere.txt
(cd "$source/tests/data/check/clean" && "$check" >"$out/check-relative.out" 2>"$out/check-relative.err")

# The solver: its findings and the scripts it writes (its timings on standard error are not kept).
mkdir "$out/solved"
run solve-fixture "$solve" --root "$source/tests/data/solve" --keys-out solved
rm -f "$out/solve-fixture.err"
run solve-reach "$solve" --root "$source" --reach
rm -f "$out/solve-reach.err"
echo "snapshot of $build in $out: $(find "$out" -type f | wc -l) files"
