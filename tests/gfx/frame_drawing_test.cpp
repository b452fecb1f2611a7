// Text and frames drawn with hand-made sprites whose glyphs all differ and whose
// colours tell the layers apart; a busy frame with the real art against its golden image.
#include "gfx/frame_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "gfx/blit.h"
#include "gfx/image_file.h"
#include "gfx/pixel_round.h"
#include "gfx/text.h"
#include "tests/gfx/busy_frame_state.h"
#include "tests/gfx/test_sprites.h"

namespace voltaro {
namespace {

using namespace testing;  // NOLINT: the test palette

// The text at (x, 7) on a blank picture, at natural size when size is 0.
Surface Text(std::string_view text, std::int16_t x = 0, float size = 0.0F) {
  Surface s(250, 60);
  if (size == 0.0F) WriteText(s, TestSprites(), x, 7, text);
  if (size != 0.0F) WriteTextSize(s, TestSprites(), x, 7, size, text);
  return s;
}

TEST(Text, SameDrawingWhateverTheCaseAndAtSizeOne) {
  EXPECT_EQ(DifferentPixels(Text("score: hp 0123 xyz"), Text("SCORE: HP 0123 XYZ")), 0);
  EXPECT_EQ(DifferentPixels(Text("Game Over @`_^", -7), Text("Game Over @`_^", -7, 1.0F)), 0);
  // Codes without a cell (below 32, above 96 after upper-casing, 128 and more)
  // draw nothing, as the space does, but still take their place.
  for (const char* gap : {"\x01", "{", "~", "\x7F", "\xC8"}) {
    EXPECT_EQ(DifferentPixels(Text(std::string("A") + gap + "b"), Text("A B")), 0) << gap;
  }
  for (const char* edge : {"!", "`"}) {  // the first and the last cell after the space
    EXPECT_NE(DifferentPixels(Text(edge), Text(" ")), 0) << edge;
  }
}

TEST(Text, SizeTwoDoublesEveryGlyphButNotY) {
  const Surface big = Text("AZ5", 4, 2.0F), natural = Text("AZ5", 4);
  for (int i = 0; i < 250 * 60; ++i) {
    const int x = i % 250, y = i / 250;
    const bool inside = x >= 4 && x < 4 + 3 * 36 && y >= 7 && y < 7 + 28;
    ASSERT_EQ(big.At(x, y), inside ? natural.At(4 + (x - 4) / 2, 7 + (y - 7) / 2) : kBlack) << i;
  }
}

// '#' fills its cell, so each glyph is a solid box: at 1.25 it is round(22.5) =
// 22 by round(17.5) = 18, and the second starts at round(22.5 + x): 22 from
// x = 0 (touching), 24 from x = 1 (a gap at 23).
TEST(Text, FractionalSizeRoundsEachGlyphOnItsOwnHalvesToEven) {
  for (auto [x, second] : {std::pair<std::int16_t, int>{0, 22}, {1, 24}}) {
    Surface boxes(250, 60);
    for (int i = 0; i < 22 * 18; ++i) {
      boxes.At(x + i % 22, 7 + i / 22) = boxes.At(second + i % 22, 7 + i / 22) = kFontColour;
    }
    EXPECT_EQ(DifferentPixels(Text("##", x, 1.25F), boxes), 0) << x;
  }
  for (float size : {-1.0F, 1e30F, NAN, 0.01F}) {  // sizes that cannot be drawn
    EXPECT_EQ(DifferentPixels(Text("ABC", 0, size), Surface(250, 60)), 0) << size;
  }
}

// From x = -32768 glyph i lands at -32768 + 18 (i - 1) while that product fits 16 bits
// (glyph 1821 at x = -8); later ones are skipped, not wrapped round, as are sums past
// 16 bits from 32767 (glyph 1821 would wrap to -9) and glyphs past a 16-bit counter.
TEST(Text, PositionOverflowSkipsTheGlyphsItHits) {
  const std::string text(1830, '#');
  for (float size : {0.0F, 1.0F}) {
    EXPECT_EQ(DifferentPixels(Text(text, -32768, size), Text("#", -8)), 0) << size;
    EXPECT_EQ(DifferentPixels(Text(text, 32767, size), Surface(250, 60)), 0) << size;
  }
  for (float size : {0.0F, 0.5F}) {
    const std::string wraps = std::string(65536, 'A') + std::string(28, 'B');
    EXPECT_EQ(DifferentPixels(Text(wraps, 0, size), Text(std::string(28, 'A'), 0, size)), 0);
  }
  EXPECT_FALSE(RoundToInt32(2147483648.0F));  // a scaled position must fit 32 bits
  EXPECT_EQ(RoundToInt32(2147483520.0F), 2147483520);
}

// Every object parked where it shows nothing, at far, huge, 16-bit-limit,
// infinite and NaN positions: only the status lines remain.
GameState EmptyGame() {
  const float far[] = {-200.0F, 1e30F, -1e30F, INFINITY, -INFINITY, NAN, 4e4F, -32768.0F, 32767.0F};
  GameState g;
  for (std::size_t i = 0; i < g.Plates.size(); ++i) {
    g.Plates[i] = Plate{far[i], far[8 - i]};
    if (i < g.Enemies.size()) g.Enemies[i] = Enemy{far[i], 50.0F, false, 0, true};
    if (i < g.Coins.size()) g.Coins[i] = Coin{50.0F, far[i]};
    if (i < g.Bullets.size()) g.Bullets[i] = Bullet{far[i], 10.0F, 2, true};
  }
  g.CarX = -1000.0F;
  return g;
}

Surface Draw(const GameState& g) {
  Surface s(kPlayfieldW, kPlayfieldH, 0x777777);  // not black: the clear must happen
  DrawFrame(s, TestSprites(), g);
  return s;
}

// Above -16 the car (here its lowest inner row at most) shows where it is;
// from -16 it is wholly above the top edge, and below -16 the marker stands in.
TEST(Frame, CarOrMarkerAtTheTopEdge) {
  const std::tuple<float, bool, int> cases[] = {
      {-14.5F, false, -14}, {-15.5F, false, -16}, {-16.0F, false, -16}, {-16.5F, true, 0}};
  for (auto [carY, marker, y] : cases) {
    GameState g = EmptyGame();
    g.CarX = 40.5F;  // rounds to 40
    g.CarY = carY;
    Surface expected = Draw(EmptyGame());
    DrawMasked(expected, marker ? TestSprites().arrow : TestSprites().car, 40, y);
    EXPECT_EQ(DifferentPixels(Draw(g), expected), 0) << carY;
  }
}

TEST(Frame, OnlyFlyingBulletsOfAKnownKindAreDrawn) {
  const Sprites& sp = TestSprites();
  const SpritePair* byKind[] = {&sp.bulletLeft, &sp.bulletRight, &sp.bulletUp, nullptr};
  for (std::int16_t kind = 0; kind <= 3; ++kind) {
    for (bool flying : {false, true}) {
      GameState g = EmptyGame();
      g.Bullets[5] = Bullet{100.0F, 100.0F, kind, flying};
      Surface expected = Draw(EmptyGame());
      if (flying && byKind[kind] != nullptr) DrawMasked(expected, *byKind[kind], 100, 100);
      EXPECT_EQ(DifferentPixels(Draw(g), expected), 0) << kind << flying;
    }
  }
}

// Plates at 2.5 and 3.5 round to the even 2 and 4. Coins, bullets and enemies
// (alive or not) go under the status lines, the car over them; each overlaps
// some strokes of the text.
TEST(Frame, PlatesRoundHalvesToEvenAndTextGoesOverObjectsUnderTheCar) {
  GameState g = EmptyGame();
  g.Plates[4] = Plate{2.5F, 3.5F};
  g.Coins[1] = Coin{2.0F, 386.0F};                       // under "S" of SCORE
  g.Bullets[1] = Bullet{40.0F, 390.0F, 0, true};         // under "O"
  g.Enemies[1] = Enemy{60.0F, 386.0F, false, 0, false};  // under "RE"
  g.CarX = 0.0F;
  g.CarY = 366.0F;  // over "HP"
  const Sprites& sp = TestSprites();
  Surface expected(kPlayfieldW, kPlayfieldH);
  DrawOpaque(expected, sp.plate, 2, 4);
  DrawMasked(expected, sp.coin, 2, 386);
  DrawMasked(expected, sp.bulletLeft, 40, 390);
  DrawMasked(expected, sp.enemy, 60, 386);
  WriteText(expected, sp, 0, 370, "HP:3");
  WriteText(expected, sp, 0, 386, "SCORE:0");
  DrawMasked(expected, sp.car, 0, 366);
  EXPECT_EQ(DifferentPixels(Draw(g), expected), 0);
}

// Regenerate the picture only after a deliberate change to the drawing or the
// artwork, and look at it before committing (tests/golden/README.md).
TEST(GoldenFrame, BusyFrameMatchesTheStoredPicture) {
  const std::string golden = VOLTARO5_SOURCE_DIR "/tests/golden/busy_frame.bmp";
  const Sprites sprites = LoadSprites();
  Surface frame(sprites.background.width, sprites.background.height);
  DrawFrame(frame, sprites, BusyFrameState());
  if (const char* flag = std::getenv("VOLTARO5_REGENERATE_GOLDEN");
      flag && std::string(flag) == "1") {
    SaveBmp(frame, golden);
    GTEST_SKIP() << "wrote " << golden;
  }
  const int differ = DifferentPixels(frame, LoadBmp(golden));
  if (differ != 0) SaveBmp(frame, VOLTARO5_BINARY_DIR "/busy_frame_actual.bmp");
  EXPECT_EQ(differ, 0) << golden << " differs; see busy_frame_actual.bmp in the build directory";
}

}  // namespace
}  // namespace voltaro
