#!/usr/bin/env bash
# Runs every libFuzzer target built by the `fuzz` preset for N seconds each,
# one after the other, and prints per target the inputs tried and any crash.
# Each target starts from its seeds in tests/fuzz/NAME/ and keeps what it
# learns in build-fuzz/corpus/NAME/ (the seeds are never written to).
#
#   scripts/fuzz.sh [SECONDS] [NAME...]    (default 60 seconds, every target)
#   FUZZ_RUNS=N scripts/fuzz.sh 0 NAME     (N inputs instead of a time limit)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
bin=$here/build-fuzz/fuzz
[ -d "$bin" ] || { echo "fuzz: no targets in $bin; build the fuzz preset first" >&2; exit 2; }

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for t in "$bin"/fuzz_*; do [ -x "$t" ] && names+=("${t##*/fuzz_}"); done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
failed=0
for name in "${names[@]}"; do
  target=$bin/fuzz_$name
  corpus=$here/build-fuzz/corpus/$name
  artifacts=$here/build-fuzz/crashes/$name/
  log=$here/build-fuzz/fuzz_$name.log
  mkdir -p "$corpus" "$artifacts"
  limit=(-max_total_time="$seconds")
  [ -n "${FUZZ_RUNS:-}" ] && limit=(-runs="$FUZZ_RUNS")
  seeds=()
  [ -d "$here/tests/fuzz/$name" ] && seeds=("$here/tests/fuzz/$name")
  status=0
  "$target" "${limit[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    printf 'fuzz: %-16s %12s inputs, no crash\n' "$name" "${runs:-?}"
  else
    failed=1
    printf 'fuzz: %-16s %12s inputs, CRASH (exit %d), see %s\n' "$name" "${runs:-?}" "$status" "$log"
    grep -m1 -E 'ERROR|runtime error|deadly signal|Test unit written' "$log" || true
    ls "$artifacts" | sed 's/^/      /'
  fi
done
exit "$failed"
