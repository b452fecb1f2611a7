// The body of one play frame, without the clock, the drawing and the wait,
// which belong to the scene that runs it (the real window or the simulator).
#pragma once

#include "game/game_state.h"
#include "game/platform.h"

namespace voltaro {

enum class FrameEnd {
  kContinue,  // draw the frame, show it, then call ScorePoint
  kHits,      // the fourth enemy contact: GameMode is 2, the frame is not drawn
  kFell,      // the car fell out at the bottom: GameMode is 2, not drawn
};

// Runs the phases of one frame in order: plates, car, enemies, coins, fire,
// bullets, bullets against enemies, enemies against the car, fall-out test.
// Throws RunTimeError when the score leaves the 32-bit range.
FrameEnd UpdateFrame(GameState& game, Platform& platform);

// The point for a frame survived, added after the frame has been shown.
void ScorePoint(GameState& game);

}  // namespace voltaro
