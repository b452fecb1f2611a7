// Whether a replayed game went as its recording says: the same frames, the
// same end and the same final score. The simulator asks once a replay has
// stopped; the window watches its replay frame by frame (ReplayCheck), since
// it lets the game run on past the recorded end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "game/play_observer.h"
#include "game/recording.h"

namespace voltaro {

// Why the replayed game differs from `recorded`, starting "frame N: ", or
// nullopt when it agrees. `frames` were played and the last one ended the game
// as `end` says; kContinue means the game was still going at the recorded
// last frame.
std::optional<std::string> ReplayDivergence(const Recording& recorded, std::int64_t frames,
                                            FrameEnd end, std::int32_t score);

// Watches a replay and calls `diverged` once, at the frame where it first
// differs from its recording.
class ReplayCheck final : public PlayObserver {
 public:
  ReplayCheck(const Recording& recorded, std::function<void(const std::string& why)> diverged)
      : recorded_(recorded), diverged_(std::move(diverged)) {}

  void FrameDone(const GameState& game, std::int64_t frame, FrameEnd end) override;

  bool Diverged() const { return diverged_ == nullptr; }

 private:
  const Recording& recorded_;
  std::function<void(const std::string&)> diverged_;  // emptied once called
};

}  // namespace voltaro
