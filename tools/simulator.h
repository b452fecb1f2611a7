// Runs games headless: set-up, then frame after frame with the key events of
// each tick delivered through the game's key handlers, exactly as the play
// scene does it minus the clock, the drawing and the wait.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "key_script.h"
#include "sim_options.h"

namespace voltaro::sim {

struct GameResult {
  std::int64_t frames = 0;
  std::int32_t score = 0;
  const char* end = "";  // "hits", "fell" or "limit"
};

struct RunSummary {
  std::vector<GameResult> games;
  std::int64_t frames = 0;
  double seconds = 0;
  std::int64_t imeMessages = 0;
};

// Plays options.games games. `trace` may be null for no trace. A run-time
// error of the game is rethrown as RunTimeError naming the game and frame;
// `summary` then holds the games finished before it.
void RunSimulation(const Options& options, const std::vector<KeyEvent>& script, std::FILE* trace,
                   RunSummary& summary);

// The closing line for standard error: games, frames, each game's score and
// end, and the speed.
std::string SummaryLine(const RunSummary& summary);

}  // namespace voltaro::sim
