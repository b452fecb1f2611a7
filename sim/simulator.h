// Runs games headless through the same frame cycle as the window's play
// scene, with the key events of each tick delivered through the game's key
// handlers, or replays a recorded game.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "game/recording.h"
#include "sim/key_script.h"
#include "sim/sim_options.h"

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

// Replays a recorded game from its starting state with its keys at their
// pumps, up to its recorded last frame at the latest. Returns nothing when it
// ends as recorded (same frame, end and score), otherwise what differs first
// ("frame N: ..."). Throws RunTimeError as RunSimulation does.
std::optional<std::string> RunReplay(const Options& options, const Recording& recording,
                                     std::FILE* trace, RunSummary& summary);

// The closing line for standard error: games, frames, each game's score and
// end, and the speed.
std::string SummaryLine(const RunSummary& summary);

}  // namespace voltaro::sim
