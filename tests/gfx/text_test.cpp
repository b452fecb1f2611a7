// Bitmap-font text on a hand-made font sheet whose glyphs all differ: case,
// spaces, the 18-pixel advance, scaled glyph boxes with half-to-even rounding,
// skipped characters, and 16-bit positions at the ends of their range.
#include "gfx/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gfx/blit.h"
#include "test_sprites.h"

namespace voltaro {
namespace {

using testing::CountColour;
using testing::DifferentPixels;
using testing::kFontColour;

class TextTest : public ::testing::Test {
 protected:
  Sprites sprites = testing::MakeTestSprites();
  Surface Blank(int w = 250, int h = 60) const { return Surface(w, h); }

  // One glyph drawn by hand with the masked draw, for comparison.
  void Glyph(Surface& s, char c, int x, int y) const {
    DrawMasked(s, sprites.picChar.mask, sprites.picChar.image, (c - 32) * 18, 0, 18, 14, x, y);
  }
};

TEST_F(TextTest, GlyphsAdvanceEighteenPixelsFromTheirCells) {
  Surface text = Blank();
  WriteText(text, sprites, 5, 7, "AB!");
  Surface byHand = Blank();
  Glyph(byHand, 'A', 5, 7);
  Glyph(byHand, 'B', 23, 7);
  Glyph(byHand, '!', 41, 7);
  EXPECT_EQ(DifferentPixels(text, byHand), 0);
  EXPECT_GT(CountColour(text, kFontColour), 0);
}

TEST_F(TextTest, LowerCaseDrawsAsUpperCase) {
  Surface lower = Blank();
  WriteText(lower, sprites, 3, 2, "score: hp 0123 xyz");
  Surface upper = Blank();
  WriteText(upper, sprites, 3, 2, "SCORE: HP 0123 XYZ");
  EXPECT_EQ(DifferentPixels(lower, upper), 0);
}

TEST_F(TextTest, SpaceDrawsNothingButAdvances) {
  Surface spaced = Blank();
  WriteText(spaced, sprites, 0, 0, "A  B");
  Surface byHand = Blank();
  Glyph(byHand, 'A', 0, 0);
  Glyph(byHand, 'B', 54, 0);
  EXPECT_EQ(DifferentPixels(spaced, byHand), 0);
}

TEST_F(TextTest, CharactersWithoutACellAreSkippedAndStillAdvance) {
  // Codes below 32, above 96 after upper-casing, and bytes of 128 and more.
  for (const std::string& odd : {std::string("\x01"), std::string("{"), std::string("~"),
                                 std::string("\x7F"), std::string("\xC8")}) {
    Surface text = Blank();
    WriteText(text, sprites, 1, 1, "A" + odd + "B");
    Surface expected = Blank();
    WriteText(expected, sprites, 1, 1, "A B");
    EXPECT_EQ(DifferentPixels(text, expected), 0) << static_cast<int>(odd[0]);
  }
}

TEST_F(TextTest, DrawingTwiceEqualsDrawingOnceOverAnyBackground) {
  Surface once(250, 20, 0x00FF00);
  for (int x = 0; x < 250; x += 3) once.At(x, 5) = 0x123456;
  WriteText(once, sprites, 0, 3, "HP:3 SCORE:100");
  Surface twice = once;
  WriteText(twice, sprites, 0, 3, "HP:3 SCORE:100");
  EXPECT_EQ(DifferentPixels(once, twice), 0);
}

TEST_F(TextTest, SizeOneEqualsNaturalSize) {
  Surface natural = Blank();
  WriteText(natural, sprites, -7, 3, "Game Over @`_^");
  Surface sized = Blank();
  WriteTextSize(sized, sprites, -7, 3, 1.0F, "Game Over @`_^");
  EXPECT_EQ(DifferentPixels(natural, sized), 0);
}

TEST_F(TextTest, SizeTwoDoublesEveryGlyphButNotY) {
  Surface s = Blank(300, 60);
  WriteTextSize(s, sprites, 4, 9, 2.0F, "AZ5");
  const char text[] = "AZ5";
  for (int i = 0; i < 3; ++i) {
    const int c = text[i];
    for (int gy = 0; gy < 14; ++gy) {
      for (int gx = 0; gx < 18; ++gx) {
        const std::uint32_t expected = testing::GlyphPixel(c, gx, gy) ? kFontColour : kBlack;
        for (int d = 0; d < 4; ++d) {
          const int x = 4 + 36 * i + 2 * gx + d % 2;
          const int y = 9 + 2 * gy + d / 2;
          ASSERT_EQ(s.At(x, y), expected) << "glyph " << i << " at " << gx << "," << gy;
        }
      }
    }
  }
  // Nothing above the unscaled y or below y + 28.
  EXPECT_EQ(CountColour(s, kFontColour, 0, 0, 300, 9), 0);
  EXPECT_EQ(CountColour(s, kFontColour, 0, 37, 300, 60), 0);
}

TEST_F(TextTest, FractionalSizeRoundsEachGlyphOnItsOwnHalvesToEven) {
  // '#' fills its whole cell, so each drawn glyph is a solid box. At 1.25 the
  // box is round(22.5) = 22 by round(17.5) = 18; the second glyph starts at
  // round(22.5 + x): x = 0 gives 22 (touching), x = 1 gives round(23.5) = 24
  // (a one-pixel gap at 23).
  struct Case {
    std::int16_t x;
    int secondStart;
  };
  for (const Case c : {Case{0, 22}, Case{1, 24}}) {
    Surface s = Blank(100, 40);
    WriteTextSize(s, sprites, c.x, 5, 1.25F, "##");
    EXPECT_EQ(CountColour(s, kFontColour, c.x, 5, c.x + 22, 5 + 18), 22 * 18);
    EXPECT_EQ(CountColour(s, kFontColour, c.secondStart, 5, c.secondStart + 22, 5 + 18), 22 * 18);
    EXPECT_EQ(CountColour(s, kFontColour), 2 * 22 * 18) << "x " << c.x;
    if (c.secondStart > c.x + 22) {
      EXPECT_EQ(s.At(c.x + 22, 10), kBlack);
    }
  }
}

TEST_F(TextTest, ScalesThatCannotBeDrawnDrawNothing) {
  for (float scale : {0.0F, -1.0F, 1e30F, -1e30F, std::nanf(""), 0.01F}) {
    Surface s = Blank();
    WriteTextSize(s, sprites, 0, 0, scale, "ABC");
    EXPECT_EQ(CountColour(s, kFontColour), 0) << scale;
  }
}

TEST_F(TextTest, PositionOverflowSkipsOnlyTheGlyphsItHits) {
  // From x = -32768, glyph i lands at -32768 + 18 (i - 1) while (i - 1) x 18
  // still fits 16 bits, i.e. up to i - 1 = 1820 at x = -8. The next product,
  // 1821 x 18, leaves the range: that glyph and all after it are skipped
  // rather than wrapping round or being placed with wider arithmetic.
  const std::string text(1830, '#');
  for (bool scaled : {false, true}) {
    Surface s = Blank();
    if (scaled) {
      WriteTextSize(s, sprites, -32768, 0, 1.0F, text);
    } else {
      WriteText(s, sprites, -32768, 0, text);
    }
    EXPECT_EQ(CountColour(s, kFontColour, 0, 0, 10, 14), 10 * 14) << scaled;
    EXPECT_EQ(CountColour(s, kFontColour, 10, 0, 250, 60), 0) << scaled;
  }

  // Near the top end the sum overflows instead: from 32700 every glyph is
  // past the right edge anyway; what matters is that nothing is drawn and
  // nothing is touched outside the surface.
  Surface t = Blank();
  WriteText(t, sprites, 32700, 0, text);
  WriteTextSize(t, sprites, 32700, 0, 2.0F, text);
  EXPECT_EQ(CountColour(t, kFontColour), 0);
}

TEST_F(TextTest, VeryLongTextIsSafe) {
  const std::string text(70000, 'A');
  Surface s = Blank();
  WriteText(s, sprites, 0, 0, text);
  WriteTextSize(s, sprites, 0, 0, 0.5F, text);
  Surface firstGlyphs = Blank();
  WriteText(firstGlyphs, sprites, 0, 0, std::string(14, 'A'));
  WriteTextSize(firstGlyphs, sprites, 0, 0, 0.5F, std::string(28, 'A'));
  EXPECT_EQ(DifferentPixels(s, firstGlyphs), 0);
}

TEST_F(TextTest, GeneralRoutineHonoursOddGlyphSizes) {
  // Zero or negative glyph sizes draw nothing; a glyph size whose cell
  // position leaves 16 bits skips the glyph.
  for (std::int16_t w : {std::int16_t{0}, std::int16_t{-18}, std::int16_t{2000}}) {
    Surface s = Blank();
    DrawString(s, 0, 0, sprites.picChar.mask, sprites.picChar.image, w, 14, "AB");
    DrawStringScaled(s, 0, 0, sprites.picChar.mask, sprites.picChar.image, w, 14, 1.5F, "AB");
    EXPECT_EQ(CountColour(s, kFontColour), 0) << w;
  }
}

}  // namespace
}  // namespace voltaro
