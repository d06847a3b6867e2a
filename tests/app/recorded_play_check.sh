#!/bin/sh
# The real game on a virtual X display, played by real X key events with --record: the replay
# of the recording ends where the game did and saves the same screenshot, byte for byte.
# MARROWGAST_TEST_VIDEO_DRIVER names SDL's driver for the game (x11; windows under Wine) and
# MARROWGAST_TEST_WINDOW_WAIT how many seconds its window may take to show (20).
game=$(realpath "${1:?usage: recorded_play_check.sh GAME REPLAY}")
replay=$(realpath "${2:?usage: recorded_play_check.sh GAME REPLAY}")
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null 2>&1 || { echo "skipped: $tool is not installed (scripts/setup.sh --developer installs it)"; exit 77; }
done
scratch=$(mktemp -d) || exit 1
xvfb=
gamepid=
finish() {
  [ -n "$gamepid" ] && kill "$gamepid" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap finish EXIT
fail() { echo "$*"; [ -f "$scratch/game/run.keys" ] && cat "$scratch/game/run.keys"; exit 1; }

# A display of its own: Xvfb picks a free number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
DISPLAY=:$(cat "$scratch/display")
export DISPLAY

# The game from a folder without res/, so it reads the build's data and its screenshot lands here.
# The window draws with SDL's software renderer, the headless device's: Mesa's OpenGL under
# Xvfb rounds the edges of a sprite at a fractional position differently (a few dozen pixels).
# Under the sanitizers the leak check is left to the headless tests: SDL's X11 window leaks
# through libdbus, which is not ours.
mkdir "$scratch/game" "$scratch/replay"
(cd "$scratch/game" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" SDL_VIDEODRIVER=${MARROWGAST_TEST_VIDEO_DRIVER:-x11} SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy exec "$game" --record run.keys) &
gamepid=$!
window=$(timeout "${MARROWGAST_TEST_WINDOW_WAIT:-20}" xdotool search --sync --name '^Marrowgast$' | head -n 1)
[ -n "$window" ] || fail "the game's window never showed"
xdotool windowfocus --sync "$window" 2>/dev/null
sleep 0.5
# The middle size, run right, jump, take a screenshot while moving, back to the first size,
# full screen, then quit.
xdotool key F10
sleep 0.5
xdotool keydown Right
sleep 0.6
xdotool key space
sleep 0.3
xdotool key Print
sleep 0.3
xdotool keyup Right
sleep 0.2
xdotool key F9
sleep 0.3
# Full screen covers the display, though no window manager is there to enlarge the window.
# Measured on SDL's X11 driver only: Wine's own driver places its windows itself, and a Windows
# game quitting from full screen under Wine 8 and Xvfb has ended on an X error (BadWindow).
if [ "${MARROWGAST_TEST_VIDEO_DRIVER:-x11}" = x11 ]; then
  xdotool key F12
  sleep 0.5
  geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
  [ "$geometry" = 1024x768 ] || fail "full screen covers $geometry of the 1024x768 display"
fi
xdotool key Escape
for _ in $(seq 100); do kill -0 "$gamepid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$gamepid" 2>/dev/null && fail "Escape did not end the game"
wait "$gamepid"; status=$?
gamepid=
[ $status -eq 0 ] || fail "the game exited $status"
keys="$scratch/game/run.keys"
grep -q '^[0-9]* sysrq down$' "$keys" || fail "the recording has no Print Screen"
grep -q '^shot [0-9]*$' "$keys" || fail "the recording has no shot line"
grep -q '^[0-9]* f10 up$' "$keys" || fail "the recording has no F10"
tail -n 1 "$keys" | grep -q '^end ' || fail "the recording has no end line"
[ -f "$scratch/game/screenshot.png" ] || fail "the game saved no screenshot"

(cd "$scratch/replay" && "$replay" --keys "$keys" >/dev/null 2>"$scratch/replay.log"); status=$?
[ $status -eq 0 ] || fail "the replay exited $status: $(cat "$scratch/replay.log")"
cmp -s "$scratch/game/screenshot.png" "$scratch/replay/screenshot.png" || fail "the replay's screenshot differs"
echo "recorded play replayed: $(tail -n 1 "$keys")"
