#!/usr/bin/env bash
# Soak test: long pilot and bot games in the sanitizer build. Any sanitizer
# report aborts the simulator, any non-zero exit fails the soak, and the trace
# of a few thousand pilot frames is checked for the game's invariants.
#
#   scripts/soak.sh build-asan/voltaro5-sim
set -euo pipefail

sim=${1:?usage: scripts/soak.sh PATH/TO/voltaro5-sim}
here=$(cd "$(dirname "$0")/.." && pwd)
[ -x "$sim" ] || { echo "soak: '$sim' is not an executable" >&2; exit 2; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

min_frames=200000
total=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs the simulator with the given options and adds its frames to the total.
play() {
  local log="$work/summary.txt"
  if ! "$sim" "$@" 2>"$log"; then
    cat "$log" >&2
    echo "soak: FAILED: $sim $*" >&2
    exit 1
  fi
  local frames
  frames=$(sed -n 's/^voltaro5-sim: games [0-9]*, frames \([0-9]*\),.*/\1/p' "$log")
  [ -n "$frames" ] || { cat "$log" >&2; echo "soak: no summary line from: $*" >&2; exit 1; }
  total=$((total + frames))
  printf 'soak: %8d frames  %s\n' "$frames" "$*"
  sed -n 's/.*, \([0-9.]* us\/frame\).*/      \1/p' "$log"
}

# Key scripts with every code the game knows and some it does not, pressed
# and released in odd orders, the input-method key and Enter included.
awk 'BEGIN {
  srand(5); split("13 37 38 39 68 86 90 229 0 65 255 65535", codes, " ");
  for (t = 1; t <= 6000; t++) {
    n = int(rand() * 3);
    for (i = 0; i < n; i++) {
      printf "%d %s %d\n", t, (rand() < 0.6 ? "down" : "up"), codes[1 + int(rand() * 12)];
    }
  }
}' >"$work/keys.txt"

for seed in 1 2 3 4; do
  play --seed "$seed" --pilot "$seed" --games 10 --max-frames 15000 --trace /dev/null
done
for seed in 5 6 7; do
  play --seed "$seed" --bot "$seed" --games 500
done
play --seed 8 --pilot 8 --bot 8 --games 5 --max-frames 10000
play --seed 9 --input "$work/keys.txt" --pilot 9 --games 20 --max-frames 3000
# The drawing code too: cars above the top edge, at the walls, falling out.
play --seed 10 --pilot 10 --bot 10 --games 3 --max-frames 2000 --render
play --seed 11 --bot 11 --games 20 --shots "$work/shots" --every 50

if [ "$total" -lt "$min_frames" ]; then
  echo "soak: only $total frames played, at least $min_frames wanted" >&2
  exit 1
fi

python3 "$here/tests/scenario/check_trace.py" "$sim" invariants determinism
echo "soak: passed, $total frames"
