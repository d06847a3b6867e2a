#!/bin/sh
# The tools write "\n", never "\r\n", into pipes and files on every system (Windows' C library
# would translate in text mode): a trace streamed into a pipe, a trace file, a key script the
# solver writes, help, and the check's findings on both standard streams.
replay=${1:?usage: line_ends_check.sh REPLAY CHECK SOLVE SOURCE_DIR}
check=${2:?usage: line_ends_check.sh REPLAY CHECK SOLVE SOURCE_DIR}
solve=${3:?usage: line_ends_check.sh REPLAY CHECK SOLVE SOURCE_DIR}
source=${4:?usage: line_ends_check.sh REPLAY CHECK SOLVE SOURCE_DIR}
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# lf NAME FILE: FILE holds lines, and not one carriage return.
lf() {
  [ -s "$2" ] || { echo "$1: nothing written"; exit 1; }
  if od -An -c "$2" | grep -q '\\r'; then
    echo "$1: carriage returns written"
    od -c "$2" | head -n 5
    exit 1
  fi
  grep -q . "$2" || { echo "$1: no lines"; exit 1; }
}

"$replay" --root "$source" --steps 3 --trace - | cat >piped.trace
lf "trace into a pipe" piped.trace
"$replay" --root "$source" --steps 3 --trace file.trace >replay.out
lf "trace file" file.trace
# A header and the steps 0 to 3.
[ "$(wc -l <file.trace)" -eq 5 ] || { echo "trace file: $(wc -l <file.trace) lines, wanted 5"; exit 1; }
cmp -s piped.trace file.trace || { echo "the piped trace and the trace file differ"; exit 1; }
"$replay" --help >help.out
lf "replay --help" help.out
"$check" --root "$source/tests/data/check/bad" >check.out 2>check.err
[ $? -eq 1 ] || { echo "check of the faulty rooms: exit status not 1"; exit 1; }
lf "check's findings" check.out
"$check" --no-such-option 2>usage.err
[ $? -eq 2 ] || { echo "check's usage error: exit status not 2"; exit 1; }
lf "check's usage error" usage.err
"$solve" --root "$source/tests/data/solve" --keys-out . >solve.out 2>solve.err
for keys in room*.keys; do lf "solver's $keys" "$keys"; done
echo "line ends: \\n only"
