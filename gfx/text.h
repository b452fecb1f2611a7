// Text in the bitmap font: glyph by glyph masked draws from the font sheet.
#pragma once

#include <cstdint>
#include <string_view>

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

// Draws text at natural size (18 x 14 per glyph) with its top-left corner at
// (wX, wY); letters are shown in upper case.
void WriteText(Surface& playfield, const Sprites& sprites, std::int16_t wX, std::int16_t wY,
               std::string_view wString);

// The same, each glyph's position and size scaled by wSize (y is not scaled).
void WriteTextSize(Surface& playfield, const Sprites& sprites, std::int16_t wX, std::int16_t wY,
                   float wSize, std::string_view wString);

// The general routines behind them, for any target, font sheet and glyph size.
void DrawString(Surface& target, std::int16_t x, std::int16_t y, const Surface& mask,
                const Surface& image, std::int16_t glyphW, std::int16_t glyphH,
                std::string_view text);
void DrawStringScaled(Surface& target, std::int16_t x, std::int16_t y, const Surface& mask,
                      const Surface& image, std::int16_t glyphW, std::int16_t glyphH, float scale,
                      std::string_view text);

}  // namespace voltaro
