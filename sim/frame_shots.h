// Drawing the frames of a simulated game (--render) and saving every K-th
// one as a picture (--shots DIR --every K), with the game's own drawing code.
#pragma once

#include <cstdint>
#include <string>

#include "game/game_state.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro::sim {

class FrameShots {
 public:
  // An empty dir draws without saving. Throws UsageError when the directory
  // cannot be made.
  FrameShots(const std::string& dir, std::int64_t every);

  // Draws the frame as the play scene would before showing it; saves it when
  // it is due. Throws std::runtime_error when a picture cannot be written.
  void Frame(const GameState& game, std::int64_t gameNo, std::int64_t frameNo);

  // The file a frame is saved to: DIR/gGGG_fFFFFFF.bmp.
  static std::string FileName(const std::string& dir, std::int64_t gameNo, std::int64_t frameNo);

 private:
  std::string dir_;
  std::int64_t every_;
  Sprites sprites_;
  Surface playfield_;
};

}  // namespace voltaro::sim
