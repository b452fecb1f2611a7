// The trace: one JSON object per line for each game's set-up and each play
// frame, with the state as it stands at the end of it, the key events
// delivered before it and the random values drawn during it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "sim/key_script.h"

namespace voltaro::sim {

struct TraceLine {
  std::int64_t game = 0;      // 1-based
  std::int64_t frame = 0;     // 1-based within the game, 0 on the set-up line
  std::uint64_t tick = 0;     // 1-based over the whole run
  const char* end = nullptr;  // null, "hits", "fell" or "limit"
  const std::vector<KeyEvent>* events = nullptr;
  const std::vector<float>* draws = nullptr;
};

// The most characters a trace line can take.
std::size_t TraceLineBound(const TraceLine& line);

// Writes one trace line, newline included, into `out`, which has room for
// TraceLineBound(line) characters; returns the end of what it wrote.
char* PutTraceLine(char* out, const TraceLine& line, const GameState& game);

// The same line as a string.
std::string TraceLineText(const TraceLine& line, const GameState& game);

class TraceWriter {
 public:
  // Writes to `file`, which the caller keeps open (and closes) itself.
  explicit TraceWriter(std::FILE* file) : file_(file) {}

  // A failed write shows in the file's error flag, which the caller checks
  // when it closes the file.
  void Write(const TraceLine& line, const GameState& game);

 private:
  std::FILE* file_;
  std::vector<char> buffer_;
};

}  // namespace voltaro::sim
