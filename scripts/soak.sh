#!/usr/bin/env bash
# Soak: a long, pseudo-random but reproducible walk through the four rooms with the replay
# tool of a build (asan by default): no crash, no sanitizer report, no leak at exit, and
# resident memory at the end within a small margin of memory after the first room change.
#   scripts/soak.sh [STEPS] [PRESET]
# The walk starts once in each room of the ring (a quarter of the steps each), so every room
# is played whatever the walker manages; deaths and room changes happen along the way.
set -euo pipefail
cd "$(dirname "$0")/.."
steps=${1:-500000}
preset=${2:-asan}
replay=build/$preset/marrowgast-replay
[ -x "$replay" ] || { echo "soak: build the $preset preset first ($replay is missing)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
per=$(( steps / 4 ))
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
# AddressSanitizer holds freed memory back in its quarantine (up to 256 MB), which would read
# as growth here; the ordinary sanitizer suite keeps the quarantine for use-after-free checks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=0:detect_leaks=1}
status=0
for room in 1 2 3 4; do
  # The walker: stretches of running (mostly right), jumps now and then, and pauses on Up or
  # Down to ride lifts and search. The game's own generator makes it the same every time.
  awk -v steps="$per" -v seed="$room" '
    function rnd(n) { seed = (seed * 214013 + 2531011) % 4294967296; return int(seed / 65536) % 32768 % n }
    BEGIN {
      step = 1
      while (step < steps) {
        len = 20 + rnd(380)
        kind = rnd(100)
        if (kind < 60) key = "right"; else if (kind < 85) key = "left"; else if (kind < 95) key = "up"; else key = "down"
        print step, key, "down"
        for (t = step + 5 + rnd(40); t < step + len; t += 10 + rnd(60)) { print t, "space", "down"; print t + 1 + rnd(30), "space", "up" }
        step += len
        print step, key, "up"
        step += 1 + rnd(20)
      }
    }' > "$work/room$room.keys"
  log="$work/room$room.log"
  if ! "$replay" --room "$room" --steps "$per" --keys "$work/room$room.keys" --trace "$work/room$room.trace" \
       --memory 2> "$log"; then
    echo "soak: room $room: the replay failed" >&2; cat "$log" >&2; status=1; continue
  fi
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error' "$log"; then
    echo "soak: room $room: sanitizer report" >&2; cat "$log" >&2; status=1; continue
  fi
  deaths=$(grep -c 'sound=res/sound/die' "$work/room$room.trace" || true)
  loads=$(grep -c 'load=' "$work/room$room.trace" || true)
  rooms=$(awk -F'\t' 'NR > 1 { seen[$2] = 1 } END { n = 0; for (r in seen) n++; print n }' "$work/room$room.trace")
  read -r after final < <(sed -n 's/.*after the first room change: \(-\?[0-9]*\) KiB, at the end: \([0-9]*\) KiB.*/\1 \2/p' "$log")
  echo "soak: room $room: $per steps, $deaths deaths, $loads room files read, $rooms rooms visited," \
       "memory after the first room change ${after} KiB, at the end ${final} KiB"
  # A walk that never changed rooms has no first-change reading to compare with.
  if [ "$after" -gt 0 ] && [ "$final" -gt $(( after + after / 10 + 4096 )) ]; then
    echo "soak: room $room: memory grew from $after KiB to $final KiB" >&2; status=1
  fi
done
exit $status
