// The trace as a watcher of play: collects the keys delivered and the values
// drawn since the last line, and writes a line after set-up and after every
// frame. The simulator writes its traces with it; the scene tests take a
// trace of a game played through the window's scenes with the very same one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "game/play_observer.h"
#include "sim/trace_writer.h"

namespace voltaro::sim {

class TraceObserver final : public PlayObserver {
 public:
  // Lines go to `file`, which the caller keeps open. `tick` counts play
  // frames over the whole run, from 1. A run that stops every game after
  // `frameLimit` frames gives that frame, when play would go on, the end
  // "limit".
  explicit TraceObserver(std::FILE* file,
                         std::int64_t frameLimit = std::numeric_limits<std::int64_t>::max())
      : writer_(file), frameLimit_(frameLimit) {
    events_.reserve(16);
    draws_.reserve(256);
  }

  void GameStarting(const GameState& /*game*/, std::uint64_t /*randomState*/) override {
    ++gameNo_;
    events_.clear();
    draws_.clear();
  }
  void KeyDelivered(std::int64_t /*pump*/, bool down, int code) override {
    events_.push_back(KeyEvent{tick_, down, code});
  }
  void Drew(float r) override { draws_.push_back(r); }
  void SetUpDone(const GameState& game) override { Write(game, 0, nullptr); }
  void FrameDone(const GameState& game, std::int64_t frame, FrameEnd end) override {
    const bool limit = end == FrameEnd::kContinue && frame >= frameLimit_;
    Write(game, frame, limit ? "limit" : EndName(end));
    ++tick_;
  }

  static const char* EndName(FrameEnd end) {
    switch (end) {
      case FrameEnd::kHits:
        return "hits";
      case FrameEnd::kFell:
        return "fell";
      case FrameEnd::kContinue:
        break;
    }
    return nullptr;
  }

 private:
  void Write(const GameState& game, std::int64_t frame, const char* endName) {
    writer_.Write(TraceLine{gameNo_, frame, tick_, endName, &events_, &draws_}, game);
    events_.clear();
    draws_.clear();
  }

  TraceWriter writer_;
  std::int64_t frameLimit_;
  std::vector<KeyEvent> events_;
  std::vector<float> draws_;
  std::int64_t gameNo_ = 0;
  std::uint64_t tick_ = 1;
};

}  // namespace voltaro::sim
