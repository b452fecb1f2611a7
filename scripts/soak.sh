#!/usr/bin/env bash
# Soak test of the simulator in the sanitizer build: the pilot and the random
# player over many seeds, many games per process so that what one game carries
# into the next is exercised, key scripts of every code the game knows and
# some it does not, and a share of the frames drawn. Any sanitizer report or
# non-zero exit fails the soak. The runs go side by side, JOBS at a time
# (default the number of cores).
#
#   scripts/soak.sh build-asan/voltaro5-sim          over 200,000 frames, then
#                                                   the golden digests
#   scripts/soak.sh build-asan/voltaro5-sim --long   over ten million frames
set -euo pipefail

usage="usage: scripts/soak.sh PATH/TO/voltaro5-sim [--long]"
sim=${1:?$usage}
case ${2:-} in
  "") long="" ;;
  --long) long=1 ;;
  *) echo "soak: $usage" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")/.." && pwd)
[ -x "$sim" ] || { echo "soak: '$sim' is not an executable" >&2; exit 2; }
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Presses and releases of every code the game knows and some it does not,
# Enter and the input-method key included, one every GAP ticks or fewer.
awk -v ticks="${long:+200000}" -v gap="${long:+40}" 'BEGIN {
  if (ticks == "") { ticks = 6000; gap = 2 }
  srand(17); split("13 37 38 39 68 86 90 229 0 65 255 65535", codes, " ");
  for (t = 1; t <= ticks; t += 1 + int(rand() * gap)) {
    printf "%d %s %d\n", t, (rand() < 0.6 ? "down" : "up"), codes[1 + int(rand() * 12)];
  }
}' >"$work/keys.txt"

# One line per simulator run, the longest first so that the runs end together.
if [ "$long" ]; then
  min_frames=10000000
  for seed in 101 102; do  # drawn: about half a million frames each
    echo "--seed $seed --pilot $seed --bot $seed --games 120 --max-frames 50000 --render"
  done
  for seed in $(seq 1 8); do  # about 1.1 million frames each
    echo "--seed $seed --pilot $seed --games 230 --max-frames 50000"
  done
  echo "--seed 21 --pilot 21 --input $work/keys.txt --games 60 --max-frames 50000 --trace /dev/null"
  for seed in 31 32 33 34; do echo "--seed $seed --bot $seed --games 2500"; done
else
  min_frames=200000
  for seed in 1 2 3 4; do
    echo "--seed $seed --pilot $seed --games 10 --max-frames 15000 --trace /dev/null"
  done
  for seed in 5 6 7; do echo "--seed $seed --bot $seed --games 500"; done
  echo "--seed 8 --pilot 8 --bot 8 --games 5 --max-frames 10000"
  echo "--seed 9 --input $work/keys.txt --pilot 9 --games 20 --max-frames 3000"
  # The drawing code too: cars above the top edge, at the walls, falling out.
  echo "--seed 10 --pilot 10 --bot 10 --games 3 --max-frames 2000 --render"
  echo "--seed 11 --bot 11 --games 20 --shots $work/shots --every 50"
fi >"$work/runs.txt"

run() {  # run INDEX OPTIONS...: one simulator run, its frames kept
  local index=$1
  shift
  if ! "$sim" "$@" 2>"$work/summary.$index"; then
    tail -n 40 "$work/summary.$index" >&2
    echo "soak: FAILED: $sim $*" >&2
    return 255  # stops xargs
  fi
  sed -n 's/^voltaro5-sim: games [0-9]*, frames \([0-9]*\),.*/\1/p' "$work/summary.$index" \
    >"$work/frames.$index"
  printf 'soak: %9d frames  %s\n' "$(cat "$work/frames.$index")" "$*"
}
export -f run
export sim work
start=$(date +%s)
nl -w1 -s' ' "$work/runs.txt" | xargs -P "$jobs" -L 1 bash -c 'run "$@"' _ || exit 1

frames=$(awk '{ sum += $1 } END { print sum }' "$work"/frames.*)
echo "soak: $frames frames, $(wc -l <"$work/runs.txt") processes, $(($(date +%s) - start)) s"
if [ "$frames" -lt "$min_frames" ]; then
  echo "soak: only $frames frames played, at least $min_frames wanted" >&2
  exit 1
fi
[ "$long" ] || python3 "$here/tests/scenario/check_trace.py" "$sim" golden_digest
echo "soak: passed"
