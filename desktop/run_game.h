// The whole program behind main(): loads the artwork, opens the window, runs
// start-up and the endless scene sequence, and turns the ways it can end into
// an exit status.
#pragma once

#include <string>

#include "desktop/command_line.h"

namespace voltaro {

// The exit status after a replay that did not go as recorded, as the
// simulator's.
inline constexpr int kReplayDiverged = 3;

// Where this program keeps the best score and why there, for --help: one or
// more lines, each ending in '\n'. `programDir` from FindProgramDir.
std::string DescribeBestScoreFile(const std::string& programDir);

// Runs the game as the command line asks, from the program's folder. When
// `frameLogPath` is not empty, every frame's start (scene, FrameTime, and the
// monotonic clock in microseconds) is appended to that file, one line per
// frame (voltaro5-pacing). 0 when the player closed the window; 1 after a
// fatal error, which has been reported in a message box and on standard
// error; 2 for a replay that cannot be read; kReplayDiverged for a replay that
// went otherwise than recorded (said on standard error when it did).
int RunGame(const CommandLine& options, const std::string& programDir,
            const std::string& frameLogPath);

}  // namespace voltaro
