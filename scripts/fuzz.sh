#!/usr/bin/env bash
# Runs the libFuzzer harnesses one after another, each for SECONDS (default: all of them).
#   scripts/fuzz.sh SECONDS [HARNESS...]     harnesses: room animation_set png jpeg wav key_script world
# Builds the fuzz preset first. New inputs collect in build/fuzz/corpus/HARNESS (the seeds in
# fuzz/corpus/HARNESS are read, never written); a crashing input lands in
# build/fuzz/artifacts/HARNESS/ and the script fails. One process at a time: other jobs share
# the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SECONDS [HARNESS...]" >&2
  exit 2
fi
seconds=$1
shift
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(room animation_set png jpeg wav key_script world)

cmake --preset fuzz -DMARROWGAST_WERROR=ON >/dev/null
cmake --build --preset fuzz -j 2 >/dev/null

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
for h in "${harnesses[@]}"; do
  # Absolute paths: some harnesses work in a directory of their own.
  binary=$root/build/fuzz/fuzz/fuzz_$h
  seeds=$root/fuzz/corpus/$h
  if [ ! -x "$binary" ] || [ ! -d "$seeds" ]; then
    echo "unknown harness: $h" >&2
    exit 2
  fi
  corpus=$root/build/fuzz/corpus/$h
  artifacts=$root/build/fuzz/artifacts/$h
  log=$root/build/fuzz/$h.log
  mkdir -p "$corpus" "$artifacts"
  echo "== $h: ${seconds}s"
  # Limits just above the dearest legal input, so anything slower or bigger is a finding:
  # the largest image the game decodes (8192 x 8192) takes 0.8 s and 340 MB here (JPEG runs
  # have peaked at 680 MB), its one allocation 256 MiB, as does the largest sound once
  # converted. Inputs stay under 64 KB:
  # a legal 4 MB room of fifty thousand robots takes 12 s to load under the sanitizers and
  # would only slow the search (its size is tested by the stop-signal check).
  timeout=5
  [ "$h" = world ] && timeout=10
  if "$binary" "$corpus" "$seeds" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=1024 \
      -malloc_limit_mb=300 -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1; then
    grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -1 || true
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" || true
  else
    echo "$h FAILED; log: $log; artifacts:" >&2
    ls "$artifacts" >&2
    grep -E 'ERROR|SUMMARY|runtime error' "$log" | head -5 >&2 || true
    failed+=("$h")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
