// What the pause sign and the help picture share: the picture they cover,
// dimmed so their text stands out, and the font at half its size (one pixel
// of a glyph per pixel of the font's artwork, 9 x 7 per glyph), which fits
// 27 characters in a line of the playfield. gfx/pause_sign.cpp and
// gfx/help_picture.cpp draw with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

inline constexpr int kSmallGlyphW = kGlyphW / 2;
inline constexpr int kSmallGlyphH = kGlyphH / 2;

// Darkens every pixel to a 2^shift-th of its brightness (each channel's
// `shift` low bits dropped), so the picture play or a screen stood on still
// shows under the text; every dimmed channel is then 0xFF >> shift or less.
void DimPicture(Surface& picture, int shift);

// A black panel with a one-pixel green frame, w x h at (x, y).
void DrawPanel(Surface& picture, int x, int y, int w, int h);

// Writes text at half size with its top-left corner at (x, y), in the font's
// green, or in black where `black` (over a lit band).
void WriteSmallText(Surface& picture, const Sprites& sprites, int x, int y, std::string_view text,
                    bool black = false);

// The x that centres `chars` characters of `glyphW` on a picture `width` wide.
int CentredTextX(int width, int chars, int glyphW);

// Splits text at its spaces into lines of at most `width` characters; a word
// longer than a line is cut into pieces of a line each.
std::vector<std::string> WrapWords(std::string_view text, int width);

}  // namespace voltaro
