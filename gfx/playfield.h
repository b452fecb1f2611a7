// The playfield's size, carried by picBack: the window and the drawing read it
// from that picture's width and height rather than from these numbers.
#pragma once

namespace voltaro {

inline constexpr int kPlayfieldW = 250;
inline constexpr int kPlayfieldH = 400;

// The font sheet: 65 cells of 18 x 14 for the codes 32 (space) to 96.
inline constexpr int kGlyphW = 18;
inline constexpr int kGlyphH = 14;
inline constexpr int kFirstGlyph = 32;
inline constexpr int kLastGlyph = 96;
inline constexpr int kGlyphCount = kLastGlyph - kFirstGlyph + 1;

}  // namespace voltaro
