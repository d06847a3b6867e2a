#!/bin/sh
# The room editor on a virtual X display, driven by real X mouse and key events: room 1 of a
# copy of the data opened, saved without a change (the same bytes), a platform placed with key 1
# and a click and saved (one more line, every other line as it was), played with F5 and walked
# right, Escape back to the editor, the solver's answers (crossed both ways) and its crossings
# played with F6 and Shift+F6, and Ctrl+Q twice over an unsaved change (exit status 0, the change not written); then a room made from nothing
# and played, a wall put across it and taken back as the solver's answers follow, and a faulty
# room's findings from the room check, with the measures. The editor's status lines on standard
# output say where it is.
game=$(realpath "${1:?usage: editor_window_check.sh GAME SOURCE_DIR}")
source=$(realpath "${2:?usage: editor_window_check.sh GAME SOURCE_DIR}")
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
status="$scratch/status.txt"
fail() {
  echo "$*"
  echo "--- status lines:"; cat "$status"
  echo "--- standard error:"; cat "$scratch/errors.txt"
  exit 1
}
# Waits (up to a minute: the machine may be busy) until the status holds COUNT lines matching PATTERN.
wait_for() {
  for _ in $(seq 600); do
    [ "$(grep -c -- "$2" "$status")" -ge "$1" ] && return 0
    kill -0 "$gamepid" 2>/dev/null || fail "the editor ended while waiting for \"$2\""
    sleep 0.1
  done
  fail "no status line \"$2\" (wanted $1)"
}

Xvfb -displayfd 3 -screen 0 1400x900x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start: $(cat "$scratch/xvfb.log")"; exit 1; }
DISPLAY=:$(cat "$scratch/display")
export DISPLAY

# The editor writes the copy's room, never the repository's.
mkdir -p "$scratch/data" "$scratch/work"
cp -R "$source/res" "$scratch/data/res"
room="$scratch/data/res/rooms/room1.txt"
cp "$room" "$scratch/original.txt"
: >"$status"
: >"$scratch/errors.txt"
# Starts the editor from the work folder with ARGS, its window named TITLE, and focuses it.
start_editor() {
  title=$1
  shift
  : >"$status"
  (cd "$scratch/work" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy exec "$game" --data "$scratch/data" "$@" >"$status" 2>"$scratch/errors.txt") &
  gamepid=$!
  window=$(timeout 30 xdotool search --sync --name "^Marrowgast room editor: $title" | head -n 1)
  [ -n "$window" ] || fail "the editor's window never showed"
  xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.3
}
# Ctrl+Q, and the editor's exit status 0.
leave_editor() {
  xdotool key ctrl+q
  for _ in $(seq 300); do kill -0 "$gamepid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$gamepid" 2>/dev/null && fail "Ctrl+Q did not end the editor"
  wait "$gamepid"; code=$?
  gamepid=
  [ $code -eq 0 ] || fail "the editor exited $code"
  no_solver_left
}
# The solver's searches end with the editor: none of them, named by this run's data folder, is left.
no_solver_left() {
  sleep 0.2
  pgrep -f -- "marrowgast-solve --root $scratch/data " >/dev/null && fail "a solver outlived the editor: $(pgrep -a -f -- "--root $scratch/data ")"
  return 0
}

start_editor room1.txt --edit 1
wait_for 1 "^editing \"$room\"$"
# The room at 24 pixels a unit (960 x 720), the panel beside it and the status bar below.
xdotool getwindowgeometry "$window" | grep -q 'Geometry: 1290x746$' ||
  fail "the editor's window is not 1290 x 746: $(xdotool getwindowgeometry "$window")"
# The room check runs at opening: room 1 as the room guide measures it.
wait_for 1 '^check: no findings, background 70.3%, platform rows 11-27 (17)$'

xdotool key ctrl+s
wait_for 1 "^saved \"$room\"$"
cmp -s "$scratch/original.txt" "$room" || fail "a save without a change changed the room: $(diff "$scratch/original.txt" "$room")"

# The room is 24 pixels a unit in the window: (25.5, 10.5) is open sky in room 1.
xdotool key 1
wait_for 1 '^palette: platform$'
xdotool mousemove --window "$window" 612 252 click 1
wait_for 1 '^placed platform at line 20$'
# Its top, at y 10, is the room's highest.
wait_for 1 '^check: no findings, background [0-9.]*%, platform rows 10-27 (18)$'
xdotool key ctrl+s
wait_for 2 "^saved \"$room\"$"
diff "$scratch/original.txt" "$room" >"$scratch/diff.txt"
[ "$(grep -c '^[<>]' "$scratch/diff.txt")" -eq 1 ] && grep -q '^> platform start 25 11 end 28 11 ' "$scratch/diff.txt" ||
  fail "the save after placing a platform differs from the room by more than the new line: $(cat "$scratch/diff.txt")"

# The play-test: run right from the left entry point (x 1), then Escape.
xdotool key F5
wait_for 1 '^play-test from left$'
sleep 0.5
# Held a second (about 60 steps, 9 units at the run speed: short of the ditch at x 16), so that
# even a busy machine lets the game see it held for a while.
xdotool keydown Right
sleep 1.0
xdotool keyup Right
sleep 0.3
xdotool key Escape
wait_for 1 '^back in the editor$'
x=$(sed -n 's/^play-test ended after [0-9]* steps, the player at x \([0-9.]*\) y .*/\1/p' "$status")
[ -n "$x" ] || fail "no play-test end line"
awk -v x="$x" 'BEGIN { exit !(x > 2 && x < 16) }' || fail "the player did not run right: x $x"

# The solver's answers, said as they come: room 1 with the new platform is crossed both ways.
# The answers of the room as it stands are the last said, once COUNT have been said.
last_answer() { grep "^solver: $1: " "$status" | tail -n 1; }
wait_answer() {
  for _ in $(seq 900); do
    [ "$(grep -c '^solver: ' "$status")" -ge "$1" ] &&
      last_answer east | grep -q -- "$2" && last_answer west | grep -q -- "$3" && return 0
    kill -0 "$gamepid" 2>/dev/null || fail "the editor ended while waiting for the solver"
    sleep 0.1
  done
  fail "the solver's answers are not \"$2\" and \"$3\""
}
crossed='^solver: [a-z]*: crossed in [0-9]* steps, tightest window [0-9]* steps ([a-z]* [a-z]* at step [0-9]*); answered in [0-9.]* s$'
wait_answer 2 "$crossed" "$crossed"
grep '^solver: ' "$status" >"$scratch/answers.txt"
# F6 and Shift+F6 play the solver's crossings with the game's rules: out at the far edge in the
# very step the solver said.
for way in east west; do
  [ $way = east ] && { key=F6; edge=right; } || { key=shift+F6; edge=left; }
  steps=$(last_answer $way | sed 's/^solver: [a-z]*: crossed in \([0-9]*\) steps.*/\1/')
  xdotool key $key
  wait_for 1 "^play-test of the solver's crossing $way\$"
  wait_for 1 "^walked out at the $edge\$"
  wait_for 1 "^play-test ended after $steps steps, "
done
wait_for 3 '^back in the editor$'

# An unsaved change: the first Ctrl+Q says so and stays, the second leaves without writing it.
xdotool key Delete
wait_for 1 '^removed platform at line 20$'
xdotool key ctrl+q
wait_for 1 '^unsaved changes: Ctrl+Q again to leave without saving$'
sleep 0.5
kill -0 "$gamepid" 2>/dev/null || fail "the first Ctrl+Q over an unsaved change ended the editor"
leave_editor
grep -q '^left without saving$' "$status" || fail "no leaving line"
grep -q '^platform start 25 11 end 28 11 ' "$room" || fail "leaving without saving changed the saved room"

# A room from nothing, named from the folder the editor was started in: a floor across the room
# from a platform and its corner handle dragged past the edge, two entry points, the second
# undone and made again and its x typed into the inspector, saved, and played from the right out
# at the right edge.
mkdir "$scratch/work/rooms"
new="$scratch/work/rooms/new.txt"
start_editor new.txt --edit rooms/new.txt
wait_for 1 "^new room \"$new\"$"
xdotool key 1
xdotool mousemove --window "$window" 12 708 click 1
wait_for 1 '^placed platform at line 1$'
xdotool mousemove --window "$window" 96 696 mousedown 1 mousemove --window "$window" 500 690 mousemove --window "$window" 990 672 mouseup 1
wait_for 1 '^resized platform at line 1$'
xdotool key 5
xdotool mousemove --window "$window" 36 660 click 1
wait_for 1 '^placed entrypoint at line 2$'
xdotool mousemove --window "$window" 900 660 click 1
wait_for 1 '^placed entrypoint at line 3$'
xdotool key ctrl+z
wait_for 1 '^undone$'
xdotool key ctrl+y
wait_for 1 '^redone$'
# The inspector of the entry point selected again: its x typed into its field (the panel's
# position x field, below the palette and the line's text) and taken on Enter, the 5 in it not
# the palette's; then a word that is no number, refused.
xdotool mousemove --window "$window" 1077 289 click 1
sleep 0.3
xdotool type 36.5
xdotool key Return
wait_for 1 '^set position of line 3 to 36.5 28$'
xdotool mousemove --window "$window" 1077 289 click 1
sleep 0.3
xdotool type x
xdotool key Return
wait_for 1 '^cannot set position of line 3: "x" is not a number$'
[ "$(grep -c '^palette: ' "$status")" -eq 2 ] || fail "a key typed into the inspector reached the editor"
xdotool key ctrl+s
wait_for 1 "^saved \"$new\"$"
printf '%s\n' "platform start 0 29 end 39 30 texture res/textures/stone.png tile res/textures/grass_band.png" \
  "entrypoint position 1 28 side left" "entrypoint position 36.5 28 side right" >"$scratch/expected.txt"
cmp -s "$scratch/expected.txt" "$new" || fail "the new room is not what was placed: $(diff "$scratch/expected.txt" "$new")"
xdotool key shift+F5
wait_for 1 '^play-test from right$'
xdotool keydown Right
wait_for 1 '^walked out at the right$'
xdotool keyup Right
wait_for 1 '^back in the editor$'
# A wall across the new room (a platform placed, its corner dragged down to the floor) is
# crossed neither way, and its undo is crossed again; undone to the room saved, it leaves at once.
wait_answer 2 "$crossed" "$crossed"
xdotool key 1
xdotool mousemove --window "$window" 492 492 click 1
wait_for 1 '^placed platform at line 4$'
answers=$(grep -c '^solver: ' "$status")
xdotool mousemove --window "$window" 576 504 mousedown 1 mousemove --window "$window" 540 600 mousemove --window "$window" 504 672 mouseup 1
wait_for 1 '^resized platform at line 4$'
walled='^solver: [a-z]*: not crossed within 3600 steps; answered in [0-9.]* s$'
wait_answer $((answers + 2)) "$walled" "$walled"
answers=$(grep -c '^solver: ' "$status")
xdotool key ctrl+z
wait_for 1 '^undone$'
wait_answer $((answers + 2)) "$crossed" "$crossed"
xdotool key ctrl+z
wait_for 2 '^undone$'
grep '^solver: ' "$status" >>"$scratch/answers.txt"
leave_editor
grep -q '^left the editor$' "$status" || fail "a saved room did not leave at the first Ctrl+Q"

# A room that does not read cleanly opens with its findings, and leaves untouched.
printf 'platform start 1 2 end 3\nwidget at 4 5\nentrypoint position 1 28 side left\n' >"$scratch/work/broken.txt"
cp "$scratch/work/broken.txt" "$scratch/broken-before.txt"
start_editor broken.txt --edit broken.txt
wait_for 1 '^check: 5 findings, background 99.7%, platform rows none$'
wait_for 1 '^finding at line 1: "end" needs 2 values but the line ends after 1: it is ignored$'
wait_for 1 '^finding at line 2: unknown object type "widget" '
leave_editor
cmp -s "$scratch/work/broken.txt" "$scratch/broken-before.txt" || fail "opening a faulty room changed it"
# A stop signal while the solver searches (as it does from the opening) ends the editor and its
# searches with it. Room 1 walled across takes the solver long (its robots), so it still searches.
{ cat "$source/res/rooms/room1.txt"; printf 'platform start 24 3 end 24 25 texture res/textures/stone.png\n'; } >"$scratch/work/walled.txt"
start_editor walled.txt --edit walled.txt
wait_for 1 '^editing '
# The searches start on the editor's first pass after it says what it edits: looked for a while.
searching=
for _ in $(seq 200); do
  pgrep -f -- "marrowgast-solve --root $scratch/data " >/dev/null && { searching=1; break; }
  sleep 0.05
done
[ -n "$searching" ] || fail "no solver searches the room just opened"
kill -TERM "$gamepid"
wait "$gamepid"; code=$?
gamepid=
[ $code -eq 0 ] || fail "the editor stopped by a signal with nothing unsaved exited $code"
no_solver_left
# Stopped with a change not saved: exit status 1, the file as it was.
cp "$scratch/work/walled.txt" "$scratch/walled-before.txt"
start_editor walled.txt --edit walled.txt
wait_for 1 '^editing '
xdotool key 1
wait_for 1 '^palette: platform$'
xdotool mousemove --window "$window" 612 252 click 1
wait_for 1 '^placed platform at line 21$'
kill -TERM "$gamepid"
wait "$gamepid"; code=$?
gamepid=
[ $code -eq 1 ] || fail "the editor stopped by a signal with a change unsaved exited $code, not 1"
grep -q '^stopped with unsaved changes$' "$status" || fail "no line said the change was lost"
cmp -s "$scratch/work/walled.txt" "$scratch/walled-before.txt" || fail "a stop signal wrote the unsaved change"
no_solver_left

echo "room editor driven: room 1 edited, played to x $x and crossed by the solver both ways, a room made from nothing and walked across, walled and unwalled, a faulty room opened"
echo "the solver's answers, as the editor said them:"
cat "$scratch/answers.txt"
