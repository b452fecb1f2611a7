// Reading a replay file for the simulator: bounded, regular files only, every
// problem a UsageError naming the file (and the line).
#pragma once

#include <string>

#include "game/recording.h"

namespace voltaro::sim {

Recording LoadReplayFile(const std::string& path);

}  // namespace voltaro::sim
