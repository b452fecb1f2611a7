// The text form of a recorded game (a ".v5replay" file): one item per line,
// the first naming the format and its version. The README describes it for
// other programs; ReplayText writes it and ParseReplayText reads it back,
// refusing anything the game itself could never have written.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "game/recording.h"

namespace voltaro {

inline constexpr std::string_view kReplayMagic = "VOLTARO5-REPLAY";
inline constexpr int kReplayVersion = 1;

// A replay file that cannot be used; the message names the file and the line.
class ReplayError : public std::runtime_error {
 public:
  explicit ReplayError(const std::string& what) : std::runtime_error(what) {}
};

std::string ReplayText(const Recording& recording);

// How a finished game's end is written: "hits" (the fourth contact) or "fell".
const char* ReplayEndName(FrameEnd end);

// Reads a replay; `name` starts every message ("NAME:LINE: problem"). Throws
// ReplayError for an empty or truncated text, another format or version, a
// malformed line, a number out of range, keys out of pump order, or a state
// the rules can never reach (a NaN or far-off position, a wrong playfield).
Recording ParseReplayText(std::string_view text, const std::string& name);

}  // namespace voltaro
