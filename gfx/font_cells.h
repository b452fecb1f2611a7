// The playfield's size (kPlayfieldW x kPlayfieldH, from the game's state),
// carried by background, and the font sheet's cells.
#pragma once

#include "game/game_state.h"

namespace voltaro {

// The font sheet: 65 cells of 18 x 14 for the codes 32 (space) to 96.
inline constexpr int kGlyphW = 18;
inline constexpr int kGlyphH = 14;
inline constexpr int kFirstGlyph = 32;
inline constexpr int kLastGlyph = 96;
inline constexpr int kGlyphCount = kLastGlyph - kFirstGlyph + 1;

}  // namespace voltaro
