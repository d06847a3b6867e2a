#!/bin/sh
# Runs the marrowgast-check executable on the fixture rooms: the faulty set gives exactly
# the expected lines and exit 1, the clean set exit 0, a usage error exit 2, --version the
# licences, and a room of a thousand firing robots stops the solver at its memory bound, at
# the same state every run.
check=${1:?usage: check_command_line.sh MARROWGAST_CHECK DATA_DIR}
data=${2:?usage: check_command_line.sh MARROWGAST_CHECK DATA_DIR}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
out=$work/out

"$check" --root="$data/check/bad" >"$out"; status=$?
[ "$status" -eq 1 ] || { echo "faulty rooms: exit $status, wanted 1"; exit 1; }
diff -u "$data/check/bad-expected.txt" "$out" || { echo "faulty rooms: output differs"; exit 1; }

(cd "$data/check/clean" && "$check") >"$out"; status=$?
[ "$status" -eq 0 ] || { echo "clean rooms: exit $status, wanted 0"; cat "$out"; exit 1; }
[ "$(cat "$out")" = "no problems found" ] || { echo "clean rooms:"; cat "$out"; exit 1; }

# --version answers wherever it stands, before any data is looked for.
"$check" --root /nonexistent --version >"$out"; status=$?
[ "$status" -eq 0 ] || { echo "--version: exit $status, wanted 0"; exit 1; }
head -n 1 "$out" | grep -qE '^marrowgast-check [0-9]+\.[0-9]+$' && grep -q 'MIT licence' "$out" &&
  grep -q '(CC-BY-4.0)' "$out" || { echo "--version:"; cat "$out"; exit 1; }

# Each option's help line says what it does.
"$check" --help >"$out" || { echo "--help: exit $?"; exit 1; }
for option in --root --solve --min-window --max-memory --measure --help --version; do
  grep -qE -- "^  $option( [A-Za-z]+)? +[a-z]" "$out" || { echo "--help does not explain $option"; cat "$out"; exit 1; }
done

for bad in --bogus "--max-memory 0" "--max-memory=1048577" "--max-memory x" "--solve=yes" "--measure=yes" "--min-window 0" \
  "--min-window=122" "--min-window 9x"; do
  # shellcheck disable=SC2086 # the option and its value are two words
  "$check" $bad >"$out" 2>&1; status=$?
  [ "$status" -eq 2 ] || { echo "usage error $bad: exit $status, wanted 2"; exit 1; }
  # One line naming the option, and where to look.
  [ "$(wc -l <"$out")" -eq 1 ] && grep -q -- "^marrowgast-check: .*${bad%%[ =]*}.*; try marrowgast-check --help$" "$out" ||
    { echo "usage error $bad said:"; cat "$out"; exit 1; }
done

# The clean room 2 (a flat floor) with a thousand robots firing for ever high above it: every
# block of the search is a new state of 56 KiB, so 4 MiB hold some 70 of them.
mkdir "$work/lasers" && cp -r "$data/check/clean/res" "$work/lasers/res"
{ echo; yes 'robot start 2 4 texture res/textures/robot.set laser res/textures/laser.set patrol laser' | head -n 1000; } \
  >>"$work/lasers/res/rooms/room2.txt"
for run in 1 2; do
  timeout 120 "$check" --root "$work/lasers" --solve --max-memory 4 res/rooms/room2.txt >"$out.$run" 2>/dev/null
  status=$?
  [ "$status" -eq 1 ] || { echo "robots, run $run: exit $status, wanted 1"; cat "$out.$run"; exit 1; }
done
for way in east west; do
  grep -Eq "^res/rooms/room2.txt:[23]: no crossing $way from this entry point was found: the solver's search stopped after [0-9]+ states: the next would pass the memory bound of 4 MiB \([0-9]+ bytes held\)$" "$out.1" ||
    { echo "robots: no memory stop $way:"; cat "$out.1"; exit 1; }
done
[ "$(tail -n 1 "$out.1")" = "2 problems found" ] || { echo "robots:"; cat "$out.1"; exit 1; }
cmp -s "$out.1" "$out.2" || { echo "robots: the two runs stopped differently"; diff "$out.1" "$out.2"; exit 1; }
echo "marrowgast-check behaves"
