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
# stop DIRECTORY SIGNAL DELAY once|twice: starts the game there, signals it (once or twice)
# DELAY seconds after it caught the signal.
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
  # Asked twice, the game ends at once, by the signal itself. The second is sent once the
  # first has been taken (two pending signals of a kind are one).
  if [ "$4" = twice ]; then
    tries=0
    while [ $tries -lt 100 ]; do
      pending=$(sed -n 's/^\(Shd\|Sig\)Pnd:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null | tr '\n' ' ')
      case $pending in *[1-9a-f]*) ;; *) break ;; esac
      sleep 0.001
      tries=$((tries + 1))
    done
    kill -s "$2" $pid
  fi
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
  want=0
  if [ "$4" = twice ]; then
    case $2 in TERM) want=143 ;; *) want=130 ;; esac
  fi
  if [ $status -ne $want ] || [ $took -gt 3000 ]; then
    echo "$2 after $3 s in $1: exit $status after $took ms"; cat "$work/out"; failed=1
  fi
}
stop "$work" TERM 1.5 once
stop "$work" INT 1.5 once
stop "$heavy" TERM 0.3 once
stop "$heavy" INT 0.3 once
stop "$heavy" TERM 0.3 twice
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
