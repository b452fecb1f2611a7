#!/usr/bin/env bash
# Long soak: at least ten million frames in the sanitizer build, the pilot and
# the random player over many seeds, many games per process so that the state
# carried from one game to the next is exercised, a share of them drawn. The
# simulator processes run side by side (JOBS at a time, default the number of
# cores); any sanitizer report or non-zero exit fails the soak.
#
#   scripts/soak_long.sh build-asan/voltaro5-sim
set -euo pipefail

sim=${1:?usage: scripts/soak_long.sh PATH/TO/voltaro5-sim}
[ -x "$sim" ] || { echo "soak-long: '$sim' is not an executable" >&2; exit 2; }
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
min_frames=10000000

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Key presses of every code the game knows and some it does not, Enter and
# the input-method key included, over the first 200,000 ticks.
awk 'BEGIN {
  srand(17); split("13 37 38 39 68 86 90 229 0 65 255 65535", codes, " ");
  for (t = 1; t <= 200000; t += 1 + int(rand() * 40)) {
    printf "%d %s %d\n", t, (rand() < 0.6 ? "down" : "up"), codes[1 + int(rand() * 12)];
  }
}' >"$work/keys.txt"

# One line per simulator run; the longest first so that the runs end together.
{
  for seed in 101 102; do  # drawn: about half a million frames each
    echo "--seed $seed --pilot $seed --bot $seed --games 120 --max-frames 50000 --render"
  done
  for seed in $(seq 1 8); do  # about 1.1 million frames each
    echo "--seed $seed --pilot $seed --games 230 --max-frames 50000"
  done
  echo "--seed 21 --pilot 21 --input $work/keys.txt --games 60 --max-frames 50000 --trace /dev/null"
  for seed in 31 32 33 34; do
    echo "--seed $seed --bot $seed --games 2500"
  done
} >"$work/runs.txt"

start=$(date +%s)
run() {  # run INDEX OPTIONS...: one simulator run, its summary kept
  local index=$1
  shift
  if ! "$sim" "$@" 2>"$work/summary.$index"; then
    tail -n 40 "$work/summary.$index" >&2
    echo "soak-long: FAILED: $sim $*" >&2
    return 255  # stops xargs
  fi
  sed -n 's/^voltaro5-sim: games \([0-9]*\), frames \([0-9]*\),.*/\1 \2/p' \
    "$work/summary.$index" >"$work/count.$index"
  printf 'soak-long: %9d frames  %s\n' "$(cut -d' ' -f2 "$work/count.$index")" "$*"
}
export -f run
export sim work
nl -w1 -s' ' "$work/runs.txt" | xargs -P "$jobs" -L 1 bash -c 'run "$@"' _ || exit 1

games=0
frames=0
for f in "$work"/count.*; do
  read -r g n <"$f"
  games=$((games + g))
  frames=$((frames + n))
done
seconds=$(($(date +%s) - start))
echo "soak-long: $frames frames, $games games, $(wc -l <"$work/runs.txt") processes, ${seconds} s"
if [ "$frames" -lt "$min_frames" ]; then
  echo "soak-long: only $frames frames played, at least $min_frames wanted" >&2
  exit 1
fi
echo "soak-long: passed"
