// Hand-made sprites for the drawing tests: the real sizes and the pair colour
// convention, with one colour per sprite so a pixel tells which layer drew it.
#pragma once

#include <cstdint>
#include <random>

#include "gfx/sprites.h"
#include "gfx/xpm_decoder.h"

namespace voltaro::testing {

inline constexpr std::uint32_t kPlateColour = 0x00FF00, kCarColour = 0xFF0000,
                               kArrowColour = 0xFF00FF, kEnemyColour = 0x0000FF,
                               kCoinColour = 0xFFFF00, kBulletLColour = 0x00FFFF,
                               kBulletRColour = 0x808000, kBulletUColour = 0x008080,
                               kFontColour = 0x00C000;

// A solid rectangle with a black middle pixel and maybe a transparent border.
inline SpritePair Pair(int w, int h, std::uint32_t colour, bool transparentBorder = false) {
  Surface p(w, h, colour);
  for (int i = 0; i < w * h; ++i) {
    const int x = i % w, y = i / w;
    if (transparentBorder && (x % (w - 1) == 0 || y % (h - 1) == 0)) p.At(x, y) = kXpmNone;
  }
  p.At(w / 2, h / 2) = kBlack;
  return MakeSpritePair(p);
}

// Each glyph its own pattern in columns 1 to 16; ' ' is empty, '#' a full cell.
inline bool GlyphPixel(int c, int x, int y) {
  if (c == ' ' || c == '#') return c == '#';
  return x >= 1 && x <= 16 && (((x * 7 + y * 3 + c * 5) % 11) < 4 || x == 1 + (c % 16));
}

inline const Sprites& TestSprites() {
  static const Sprites sprites = [] {
    Sprites s;
    s.plate = Pair(80, 10, kPlateColour).image;
    s.car = Pair(34, 16, kCarColour, true);
    s.arrow = Pair(20, 32, kArrowColour, true);
    s.enemy = Pair(34, 16, kEnemyColour);
    s.coin = Pair(10, 10, kCoinColour, true);
    s.bulletLeft = Pair(9, 4, kBulletLColour);
    s.bulletRight = Pair(9, 4, kBulletRColour);
    s.bulletUp = Pair(4, 9, kBulletUColour);
    Surface font(kGlyphW * kGlyphCount, kGlyphH, kXpmNone);
    for (int i = 0; i < font.width * kGlyphH; ++i) {
      const int x = i % font.width, y = i / font.width;
      if (GlyphPixel(kFirstGlyph + x / kGlyphW, x % kGlyphW, y)) font.At(x, y) = kFontColour;
    }
    s.font = MakeSpritePair(font);
    return s;
  }();
  return sprites;
}

inline Surface RandomSurface(int w, int h, std::mt19937& rng) {
  Surface s(w, h);
  for (auto& p : s.pixels) p = rng() & 0xFFFFFF;
  return s;
}

// The pixels that differ between two surfaces; -1 if their sizes differ.
inline int DifferentPixels(const Surface& a, const Surface& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

}  // namespace voltaro::testing
