// What the drawing relies on in the artwork compiled into the game, checked on
// the decoded pictures: each at the size the rules give it, green strokes on
// black, the font's cells apart, and the bullets and the marker pointing the
// way they fly.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "gfx/sprites.h"

namespace voltaro {
namespace {

// The opaque pixels (black in the mask) of a block of the picture.
int Opaque(const SpritePair& p, int x0, int y0, int w, int h) {
  int n = 0;
  for (int i = 0; i < w * h; ++i) n += p.mask.At(x0 + i % w, y0 + i / w) == kBlack;
  return n;
}

const Sprites& Art() {
  static const Sprites sprites = LoadSprites();  // throws naming a picture of the wrong size
  return sprites;
}

// Transparent pixels are white in mask and image, so the masked draw leaves
// the background there. The marker and the font draw only green strokes, so
// text never blacks out what it passes over; the plate and the enemy hide
// what they cover, so they have no holes.
TEST(Artwork, EveryPictureIsGreenStrokesOnBlackWithAMaskOfBlackAndWhite) {
  const Sprites& s = Art();
  const SpritePair plate{Surface(s.plate.width, s.plate.height), s.plate};  // all opaque
  const std::tuple<const char*, const SpritePair&, bool, bool> pictures[] = {
      {"plate", plate, true, false},
      {"car", s.car, true, true},
      {"arrow", s.arrow, false, true},
      {"enemy", s.enemy, true, false},
      {"coin", s.coin, true, true},
      {"bulletLeft", s.bulletLeft, true, true},
      {"bulletRight", s.bulletRight, true, true},
      {"bulletUp", s.bulletUp, true, true},
      {"font", s.font, false, true}};
  for (const auto& [name, p, mayBeBlack, mayBeTransparent] : pictures) {
    SCOPED_TRACE(name);
    int green = 0, transparent = 0;
    for (std::size_t i = 0; i < p.mask.pixels.size(); ++i) {
      const std::uint32_t mask = p.mask.pixels[i], image = p.image.pixels[i];
      ASSERT_TRUE(mask == kBlack || mask == kWhite) << i;
      if (mask == kWhite) {
        ASSERT_EQ(image, kWhite) << i;
        ++transparent;
      } else {
        ASSERT_TRUE(image == kGreen || (mayBeBlack && image == kBlack)) << i;
        green += image == kGreen;
      }
    }
    EXPECT_GT(green, 0);
    EXPECT_TRUE(mayBeTransparent || transparent == 0);
  }
}

// Columns 0 and 17 stay clear so letters at the 18-pixel advance never touch;
// the space draws nothing, every other glyph something, and no two alike.
TEST(Artwork, FontCellsKeepTheirMarginsAndAreAllDistinct) {
  const SpritePair& font = Art().font;
  std::map<std::string, int> seen;
  for (int c = kFirstGlyph; c <= kLastGlyph; ++c) {
    const int x0 = (c - kFirstGlyph) * kGlyphW;
    std::string cell;
    for (int y = 0; y < kGlyphH; ++y) {
      for (int x = 0; x < kGlyphW; ++x) cell += font.mask.At(x0 + x, y) == kBlack ? '#' : ' ';
    }
    EXPECT_EQ(Opaque(font, x0, 0, 1, kGlyphH) + Opaque(font, x0 + kGlyphW - 1, 0, 1, kGlyphH), 0)
        << static_cast<char>(c);
    EXPECT_EQ(cell.find('#') == std::string::npos, c == ' ') << static_cast<char>(c);
    const auto [it, fresh] = seen.emplace(cell, c);
    EXPECT_TRUE(fresh) << static_cast<char>(c) << " looks like " << static_cast<char>(it->second);
  }
}

// The two lines at the tip hold fewer opaque pixels than the two at the tail;
// the side bullets are each other's mirror image.
TEST(Artwork, BulletsAndMarkerPointTheWayTheyFly) {
  const Sprites& s = Art();
  for (const auto& [p, horizontal, tipFirst] : {std::tuple{&s.bulletLeft, true, true},
                                                {&s.bulletRight, true, false},
                                                {&s.bulletUp, false, true},
                                                {&s.arrow, false, true}}) {
    const int w = p->mask.width, h = p->mask.height;
    const int first = horizontal ? Opaque(*p, 0, 0, 2, h) : Opaque(*p, 0, 0, w, 2);
    const int last = horizontal ? Opaque(*p, w - 2, 0, 2, h) : Opaque(*p, 0, h - 2, w, 2);
    EXPECT_GT(std::min(first, last), 0) << w << "x" << h;
    EXPECT_LT(tipFirst ? first : last, tipFirst ? last : first) << w << "x" << h;
  }
  const Surface &left = s.bulletLeft.image, &right = s.bulletRight.image;
  for (int i = 0; i < left.width * left.height; ++i) {
    const int x = i % left.width, y = i / left.width;
    EXPECT_EQ(left.At(x, y), right.At(left.width - 1 - x, y)) << x << "," << y;
  }
}

}  // namespace
}  // namespace voltaro
