// The bitmap-font text: glyph by glyph masked draws from the font sheet, at
// natural size or scaled. Called by the frame drawing (status lines) and by the
// title and game-over screens.
//
// Positions are 16-bit numbers. A glyph whose position arithmetic would leave
// the 16-bit range, or whose character has no cell in the sheet (codes 32 to
// 96 only), is skipped and the next glyph is drawn as usual; a skipped glyph
// still takes its place in the line.
#include "gfx/text.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "gfx/blit.h"
#include "gfx/pixel_round.h"
#include "gfx/sprites.h"

namespace voltaro {
namespace {

std::optional<std::int16_t> Fits16(std::int64_t v) {
  if (v < std::numeric_limits<std::int16_t>::min() ||
      v > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(v);
}

// The sheet has no lower-case glyphs; only a to z change (no locale).
std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return out;
}

// The source x of the glyph's cell, or nothing when the character has no cell
// or the cell position leaves the 16-bit range.
std::optional<std::int16_t> CellX(char ch, std::int16_t glyphW) {
  const int c = static_cast<unsigned char>(ch);
  if (c < kFirstGlyph || c > kLastGlyph) return std::nullopt;
  return Fits16(std::int64_t{c - kFirstGlyph} * glyphW);
}

// (i - 1) x glyph width for the i-th glyph, i counted from 1 as a 16-bit
// number itself.
std::optional<std::int16_t> Advance(std::size_t index, std::int16_t glyphW) {
  const auto i = Fits16(static_cast<std::int64_t>(index) + 1);
  if (!i) return std::nullopt;
  return Fits16(std::int64_t{*i - 1} * glyphW);
}

}  // namespace

void DrawString(Surface& target, std::int16_t x, std::int16_t y, const Surface& mask,
                const Surface& image, std::int16_t glyphW, std::int16_t glyphH,
                std::string_view text) {
  for (std::size_t index = 0; index < text.size(); ++index) {
    const auto advance = Advance(index, glyphW);
    if (!advance && index >= static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
      break;  // the glyph counter itself has left the 16-bit range: so will every later glyph
    }
    const auto cellX = CellX(text[index], glyphW);
    if (!advance || !cellX) continue;
    const auto destX = Fits16(std::int64_t{x} + *advance);
    if (!destX) continue;
    DrawMasked(target, mask, image, *cellX, 0, glyphW, glyphH, *destX, y);
  }
}

void DrawStringScaled(Surface& target, std::int16_t x, std::int16_t y, const Surface& mask,
                      const Surface& image, std::int16_t glyphW, std::int16_t glyphH, float scale,
                      std::string_view text) {
  // Each glyph's size and position are rounded on their own, never
  // accumulated, so a fractional scale may leave a one-pixel gap or overlap.
  const auto destW = RoundToInt32(static_cast<float>(glyphW) * scale);
  const auto destH = RoundToInt32(static_cast<float>(glyphH) * scale);
  if (!destW || !destH) return;  // every glyph's transfer would fail the same way
  for (std::size_t index = 0; index < text.size(); ++index) {
    const auto advance = Advance(index, glyphW);
    if (!advance && index >= static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
      break;
    }
    const auto cellX = CellX(text[index], glyphW);
    if (!advance || !cellX) continue;
    const auto destX = RoundToInt32(static_cast<float>(*advance) * scale + static_cast<float>(x));
    if (!destX) continue;
    StretchBlt(target, *destX, y, *destW, *destH, mask, *cellX, 0, glyphW, glyphH,
               RasterOp::kSrcErase);
    StretchBlt(target, *destX, y, *destW, *destH, image, *cellX, 0, glyphW, glyphH,
               RasterOp::kSrcInvert);
  }
}

void WriteText(Surface& playfield, const Sprites& sprites, std::int16_t wX, std::int16_t wY,
               std::string_view wString) {
  DrawString(playfield, wX, wY, sprites.font.mask, sprites.font.image, kGlyphW, kGlyphH,
             UpperCase(wString));
}

void WriteTextSize(Surface& playfield, const Sprites& sprites, std::int16_t wX, std::int16_t wY,
                   float wSize, std::string_view wString) {
  DrawStringScaled(playfield, wX, wY, sprites.font.mask, sprites.font.image, kGlyphW, kGlyphH,
                   wSize, UpperCase(wString));
}

}  // namespace voltaro
