// Which effects a frame of play caused, told from the game state before and
// after it, so that the rules stay as they are and a replay sounds exactly
// like the game it recorded. The play session tells the CueObserver about
// every frame; the desktop's run hands what it hears to the mixer.
#pragma once

#include <functional>
#include <utility>

#include "game/game_state.h"
#include "game/play_frame.h"
#include "game/play_observer.h"
#include "sound/effect.h"

namespace voltaro {

// The effects of one frame: `before` is the state the previous frame (or the
// set-up) left, `after` the state this frame left, `end` how it ended. Keys
// between the two frames count towards this one.
EffectSet FrameCues(const GameState& before, const GameState& after, FrameEnd end);

// Watches every game and plays each frame's effects.
class CueObserver final : public PlayObserver {
 public:
  explicit CueObserver(std::function<void(Effect)> play) : play_(std::move(play)) {}

  void SetUpDone(const GameState& game) override { before_ = game; }
  void FrameDone(const GameState& game, std::int64_t frame, FrameEnd end) override;

  // The game-over screen shows a new best score; the scenes know that, the
  // frames do not.
  void NewRecord() { play_(Effect::kNewRecord); }

 private:
  std::function<void(Effect)> play_;
  GameState before_;
};

}  // namespace voltaro
