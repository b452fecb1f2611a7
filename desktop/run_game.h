// The whole program behind main(): loads the artwork, opens the window, runs
// start-up and the endless scene sequence, and turns the ways it can end into
// an exit status.
#pragma once

#include <optional>
#include <string>

namespace voltaro {

struct RunOptions {
  // When set, every frame's start (scene, FrameTime, and the monotonic clock
  // in microseconds) is appended to this file, one line per frame.
  std::string frameLogPath;
  // When set, every finished game is also saved here (numbered from the
  // second game on, see --record).
  std::string recordPath;
  // When set, this recorded game is shown instead of the scene sequence.
  std::string replayPath;
  int replaySpeed = 1;
  // The factor to open the window at (1 to 16) and fullscreen, over what the
  // settings file says.
  std::optional<int> scale;
  bool fullscreen = false;
};

// Where this program keeps the best score and why there, for --help: one or
// more lines, each ending in '\n'.
std::string DescribeBestScoreFile();

// 0 when the player closed the window; 1 after a fatal error, which has been
// reported in a message box and on standard error.
int RunGame(const RunOptions& options);

}  // namespace voltaro
