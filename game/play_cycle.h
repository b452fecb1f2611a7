// One play frame from start to end, in the one order every runner of play
// follows: the window's play scene and the headless simulator alike. What
// differs between them (the clock, the picture, the pump and the wait) is
// the host's.
#pragma once

#include "game/game_state.h"
#include "game/platform.h"
#include "game/play_frame.h"

namespace voltaro {

class PlayHost : public Platform {
 public:
  // The frame starts: the window stamps FrameTime here.
  virtual void BeginFrame() = 0;
  // The frame goes on: draw the whole playfield and show it.
  virtual void ShowFrame(const GameState& game) = 0;
  // The frame's update and its point are done (`end` says whether it ended
  // the game); nothing of the rules runs between this and the next frame.
  virtual void FrameDone(const GameState& game, FrameEnd end) = 0;
  // Between frames: events pumped, then the wait for the next frame's
  // deadline. Not called after the frame that ends the game.
  virtual void EndFrame() = 0;
};

// Runs one frame: begin, the phases, and unless the frame ended the game its
// drawing, the show and the frame's point; then FrameDone, and EndFrame when
// play goes on. Throws RunTimeError as UpdateFrame does.
FrameEnd RunFrame(GameState& game, PlayHost& host);

}  // namespace voltaro
