#!/bin/sh
# The game's options answer and exit without opening a window; anything else is refused.
game=${1:?usage: command_line_check.sh GAME}
failed=0
out=$("$game" --help) && printf '%s\n' "$out" | grep -q -- '--version' || { echo "--help: $out"; failed=1; }
out=$("$game" --version) && printf '%s\n' "$out" | grep -qE '^marrowgast [0-9]+\.[0-9]+' || { echo "--version: $out"; failed=1; }
err=$("$game" --fly 2>&1 >/dev/null); status=$?
[ $status -eq 2 ] || { echo "--fly: exit $status"; failed=1; }
printf '%s\n' "$err" | grep -q 'unknown option "--fly"' || { echo "--fly said: $err"; failed=1; }
[ $failed -eq 0 ] && echo "options answered"
exit $failed
