// Records a game as it is played, for saving as a replay: the starting state,
// every key with its pump, the frames, the end and the score.
#pragma once

#include "game/play_observer.h"
#include "game/recording.h"

namespace voltaro {

class Recorder final : public PlayObserver {
 public:
  void GameStarting(const GameState& game, std::uint64_t randomState) override {
    recording_ = Recording{};
    recording_.randomState = randomState;
    recording_.start = game;
  }
  void KeyDelivered(std::int64_t pump, bool down, int code) override {
    recording_.keys.push_back(RecordedKey{pump, down, code});
  }
  void FrameDone(const GameState& game, std::int64_t frame, FrameEnd end) override {
    recording_.frames = frame;
    recording_.end = end;
    recording_.score = game.Score;
  }

  // The game so far; finished once its end is kHits or kFell.
  const Recording& Get() const { return recording_; }
  bool Finished() const { return recording_.end != FrameEnd::kContinue; }

 private:
  Recording recording_;
};

}  // namespace voltaro
