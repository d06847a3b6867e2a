#!/bin/sh
# Runs the marrowgast-check executable on the fixture rooms: the faulty set gives exactly
# the expected lines and exit 1, the clean set exit 0, a usage error exit 2, --version the
# licences.
check=${1:?usage: check_command_line.sh MARROWGAST_CHECK DATA_DIR}
data=${2:?usage: check_command_line.sh MARROWGAST_CHECK DATA_DIR}
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT

"$check" --root "$data/check/bad" >"$out"; status=$?
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

"$check" --bogus >"$out" 2>&1; status=$?
[ "$status" -eq 2 ] || { echo "usage error: exit $status, wanted 2"; exit 1; }
echo "marrowgast-check behaves"
