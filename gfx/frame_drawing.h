// The drawing of one play frame: plates, enemies, coins, flying bullets, the
// HP and SCORE lines, and last the car (or its marker above the top edge).
#pragma once

#include "game/game_state.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

// Clears the playfield and draws the whole frame from the game state, which it
// only reads.
void DrawFrame(Surface& playfield, const Sprites& sprites, const GameState& game);

}  // namespace voltaro
