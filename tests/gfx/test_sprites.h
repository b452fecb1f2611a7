// Hand-made sprites for the drawing tests: the right sizes, the pair colour
// convention, and a distinct colour per sprite so a test can tell from a pixel
// which layer put it there. The real artwork is only used by the golden test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "gfx/playfield.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "gfx/xpm_decoder.h"

namespace voltaro::testing {

inline constexpr std::uint32_t kPlateColour = 0x00FF00;
inline constexpr std::uint32_t kCarColour = 0xFF0000;
inline constexpr std::uint32_t kArrowColour = 0xFF00FF;
inline constexpr std::uint32_t kEnemyColour = 0x0000FF;
inline constexpr std::uint32_t kCoinColour = 0xFFFF00;
inline constexpr std::uint32_t kBulletLColour = 0x00FFFF;
inline constexpr std::uint32_t kBulletRColour = 0x808000;
inline constexpr std::uint32_t kBulletUColour = 0x008080;
inline constexpr std::uint32_t kFontColour = 0x00C000;

// A solid rectangle of one colour, optionally with a transparent border of
// one pixel (so the mask matters) and a black middle (so opaque black shows).
inline Surface Picture(int w, int h, std::uint32_t colour, bool transparentBorder) {
  Surface p(w, h, colour);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      if (border && transparentBorder) p.At(x, y) = kXpmNone;
      if (x == w / 2 && y == h / 2) p.At(x, y) = kBlack;
    }
  }
  return p;
}

// Glyph of code c: a pattern of its own in columns 1 to 16, transparent
// elsewhere; the space is empty and '#' fills its whole 18 x 14 cell.
inline bool GlyphPixel(int c, int x, int y) {
  if (c == ' ') return false;
  if (c == '#') return true;
  if (x < 1 || x > 16) return false;
  return ((x * 7 + y * 3 + c * 5) % 11) < 4 || x == 1 + (c % 16);
}

inline Surface FontPicture() {
  Surface p(kGlyphW * kGlyphCount, kGlyphH, kXpmNone);
  for (int c = kFirstGlyph; c <= kLastGlyph; ++c) {
    for (int y = 0; y < kGlyphH; ++y) {
      for (int x = 0; x < kGlyphW; ++x) {
        if (GlyphPixel(c, x, y)) p.At((c - kFirstGlyph) * kGlyphW + x, y) = kFontColour;
      }
    }
  }
  return p;
}

inline Sprites MakeTestSprites() {
  Sprites s;
  s.picPlate = Picture(80, 10, kPlateColour, false);
  s.picBall = MakeSpritePair(Picture(34, 16, kCarColour, true));
  s.picArrow = MakeSpritePair(Picture(20, 32, kArrowColour, true));
  s.picEnemy = MakeSpritePair(Picture(34, 16, kEnemyColour, false));
  s.picCoin = MakeSpritePair(Picture(10, 10, kCoinColour, true));
  s.picBulletL = MakeSpritePair(Picture(9, 4, kBulletLColour, false));
  s.picBulletR = MakeSpritePair(Picture(9, 4, kBulletRColour, false));
  s.picBulletU = MakeSpritePair(Picture(4, 9, kBulletUColour, false));
  s.picChar = MakeSpritePair(FontPicture());
  s.picBack = Surface(kPlayfieldW, kPlayfieldH);
  s.icon32 = MakeSpritePair(Picture(32, 32, kPlateColour, true));
  s.icon16 = MakeSpritePair(Picture(16, 16, kPlateColour, true));
  return s;
}

// Counts the pixels that differ between two surfaces of one size.
inline int DifferentPixels(const Surface& a, const Surface& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i] ? 1 : 0;
  return n;
}

// Counts the pixels of one colour inside a rectangle (clipped to the surface).
inline int CountColour(const Surface& s, std::uint32_t colour, int x0 = 0, int y0 = 0,
                       int x1 = 1 << 30, int y1 = 1 << 30) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(s.height, y1); ++y) {
    for (int x = std::max(0, x0); x < std::min(s.width, x1); ++x) n += s.At(x, y) == colour;
  }
  return n;
}

}  // namespace voltaro::testing
