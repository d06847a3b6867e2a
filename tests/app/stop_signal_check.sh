#!/bin/sh
# SIGTERM and SIGINT end the game promptly and with status 0: while it plays, and while it is
# still loading a first room of fifty thousand robots (seconds of work without the stop).
set -u
game=${1:?usage: stop_signal_check.sh GAME SOURCE_DIR}
source=${2:?}
# Dummy video: the offscreen driver loads EGL libraries that leak under the sanitizers.
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source/res" "$work/res"
heavy=$(mktemp -d -p "$work")
cp -r "$source/res" "$heavy/res"
yes 'robot start 2 2 texture res/textures/robot_a.set laser res/textures/laser.set' | head -n 50000 >>"$heavy/res/rooms/room1.txt"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# caught PID BIT: waits (up to five seconds) until the process catches the signal of mask BIT,
# and leaves its caught mask in $mask.
caught() {
  tries=0
  while [ $tries -lt 500 ]; do
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$1/status" 2>/dev/null)
    [ -n "$mask" ] && [ $((0x$mask & $2)) -ne 0 ] && return
    sleep 0.01
    tries=$((tries + 1))
  done
}
failed=0
# stop DIRECTORY SIGNAL DELAY: starts the game there and signals it DELAY seconds after it
# caught the signal. One signal only: what a second one does is the unit tests' (a second
# signal sent from here could meet a game that had already ended).
stop() {
  # A background job starts with SIGINT ignored; env gives it back its default.
  (cd "$1" && exec env --default-signal=INT "$game" >"$work/out" 2>&1) &
  pid=$!
  # The delay counts from when the game catches the signal (its handler is the first thing
  # main does): a slow start (the sanitizers on a loaded machine) must not meet the default
  # action instead.
  case $2 in TERM) caught $pid 16384 ;; *) caught $pid 2 ;; esac
  sleep "$3"
  sent=$(now_ms)
  kill -s "$2" $pid
  # Up to three seconds to end, then it is killed and the case fails.
  waited=0
  while kill -0 $pid 2>/dev/null && [ $waited -lt 30 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  took=$(($(now_ms) - sent))
  kill -s KILL $pid 2>/dev/null
  wait $pid
  status=$?
  if [ $status -ne 0 ] || [ $took -gt 3000 ]; then
    echo "$2 after $3 s in $1: exit $status after $took ms"; cat "$work/out"; failed=1
  fi
}
stop "$work" TERM 1.5
stop "$work" INT 1.5
stop "$heavy" TERM 0.3
stop "$heavy" INT 0.3
# Started with SIGINT ignored, the game leaves it ignored and still takes SIGTERM.
(trap '' INT && cd "$work" && exec "$game" >"$work/out" 2>&1) &
pid=$!
caught $pid 16384
ignored=$(sed -n 's/^SigIgn:[[:space:]]*//p' "/proc/$pid/status")
if [ -z "$mask" ] || [ -z "$ignored" ] || [ $((0x$mask & 2)) -ne 0 ] || [ $((0x$ignored & 2)) -eq 0 ]; then
  echo "the game took over SIGINT, which it was started ignoring (caught $mask, ignored $ignored)"; failed=1
fi
kill -s TERM $pid
wait $pid || { echo "SIGTERM with SIGINT ignored: exit $?"; cat "$work/out"; failed=1; }
[ $failed -eq 0 ] && echo "every stop was prompt"
exit $failed
