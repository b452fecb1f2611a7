// The game's pictures, loaded once from the artwork compiled into the program.
#pragma once

#include "gfx/surface.h"

namespace voltaro {

// The font sheet: 65 cells of 18 x 14 for the codes 32 (space) to 96.
inline constexpr int kGlyphW = 18;
inline constexpr int kGlyphH = 14;
inline constexpr int kFirstGlyph = 32;
inline constexpr int kLastGlyph = 96;
inline constexpr int kGlyphCount = kLastGlyph - kFirstGlyph + 1;

// A sprite with transparency: where the mask is black the image colour is
// drawn; where mask and image are both white the background shows through.
struct SpritePair {
  Surface mask;
  Surface image;
};

// The playfield's size: the background has no artwork of its own (it is
// black), and no pixels are kept for it.
struct PictureSize {
  int width = 0;
  int height = 0;
};

struct Sprites {
  Surface plate;           // 80 x 10, drawn opaque
  SpritePair car;          // 34 x 16
  SpritePair arrow;        // 20 x 32, marker while the car is above the top edge
  SpritePair enemy;        // 34 x 16, opaque everywhere
  SpritePair coin;         // 10 x 10
  SpritePair bulletLeft;   // 9 x 4
  SpritePair bulletRight;  // 9 x 4
  SpritePair bulletUp;     // 4 x 9
  SpritePair font;         // 1170 x 14: 65 glyph cells of 18 x 14, codes 32 to 96
  PictureSize background;  // 250 x 400: defines the playfield size
  SpritePair icon32;       // window icon, 32 x 32
  SpritePair icon16;       // window icon, 16 x 16
};

// Decodes the compiled-in artwork. Throws std::runtime_error naming the picture
// if one cannot be decoded (a build fault, never a player's).
Sprites LoadSprites();

}  // namespace voltaro
