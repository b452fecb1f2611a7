#!/usr/bin/env bash
# Measures the running game in a private Xvfb and prints the figures: start-up
# time to the first title frame (over several launches: it must hold on every
# one), processor use of the game and of the X server on the title screen,
# during play and on the game-over screen, play frame-start intervals (median,
# 99th percentile) and peak resident memory.
#
#   scripts/measure.sh [BUILD_DIR] [--scale N] [--fullscreen] [--screen WxH] [--busy]
#                      [--launches N] [--startup-only]
#
# For example, fullscreen on a 1920 x 1080 screen: --screen 1920x1080
# --fullscreen; with every core kept busy meanwhile: --busy. Run it under
# `nice -n -5` on a shared machine, and twice: the better run counts.
# --launches N (default 5) launches the game that many times first to time its
# start-up; --startup-only stops after them.
#
# BUILD_DIR defaults to build; the game with the frame log (voltaro5-pacing)
# and the end-to-end helpers are built there first. Takes about half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build
if [[ $# -gt 0 && "$1" != -* ]]; then
  build_dir=$1
  shift
fi
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
  cmake -S . -B "$build_dir" >/dev/null
fi
cmake --build "$build_dir" -j2 --target voltaro5-pacing voltaro5-e2e-frames \
  >/dev/null
exec python3 bench/measure.py "$build_dir" "$@"
