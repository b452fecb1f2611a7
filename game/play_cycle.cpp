// The order of one play frame: the clock stamp, the update, the drawing and
// the show, the point for surviving the frame, the pump and the wait. A
// frame that ends the game is not drawn and earns no point.
#include "game/play_cycle.h"

namespace voltaro {

FrameEnd RunFrame(GameState& game, PlayHost& host) {
  host.BeginFrame();
  const FrameEnd end = UpdateFrame(game, host);
  if (end == FrameEnd::kContinue) {
    host.ShowFrame(game);
    ScorePoint(game);
  }
  host.FrameDone(game, end);
  if (end == FrameEnd::kContinue) host.EndFrame();
  return end;
}

}  // namespace voltaro
