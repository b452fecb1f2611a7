// Comparing a replayed game with its recording; see replay_check.h.
#include "saves/replay_check.h"

#include "saves/replay_text.h"

namespace voltaro {

std::optional<std::string> ReplayDivergence(const Recording& recorded, std::int64_t frames,
                                            FrameEnd end, std::int32_t score) {
  const std::string recordedEnd = ReplayEndName(recorded.end);
  const std::string frame = "frame " + std::to_string(frames) + ": ";
  if (end == FrameEnd::kContinue) {
    return frame + "the recording ended here (" + recordedEnd + ") but the game went on";
  }
  if (end != recorded.end || frames != recorded.frames) {
    return frame + "the game ended (" + ReplayEndName(end) + ") before its recorded end (" +
           recordedEnd + ") in frame " + std::to_string(recorded.frames);
  }
  if (score != recorded.score) {
    return frame + "score " + std::to_string(score) + ", recorded " +
           std::to_string(recorded.score);
  }
  return std::nullopt;
}

void ReplayCheck::FrameDone(const GameState& game, std::int64_t frame, FrameEnd end) {
  if (Diverged()) return;
  if (end == FrameEnd::kContinue && frame != recorded_.frames) return;
  if (const auto why = ReplayDivergence(recorded_, frame, end, game.Score)) {
    const auto diverged = std::move(diverged_);
    diverged_ = nullptr;
    diverged(*why);
  }
}

}  // namespace voltaro
