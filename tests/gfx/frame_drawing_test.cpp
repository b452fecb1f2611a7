// The drawing of a play frame with hand-made sprites whose colours tell the
// layers apart: rounding, which objects are skipped, the marker above the top
// edge, the status lines, and the order of the layers.
#include "gfx/frame_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "gfx/text.h"
#include "test_sprites.h"

namespace voltaro {
namespace {

using namespace testing;  // NOLINT: the test palette

// Every object parked where it shows nothing; only the status lines remain.
GameState EmptyGame() {
  GameState g;
  for (Plate& p : g.Plates) p = Plate{0.0F, -1000.0F};
  for (Enemy& e : g.Enemies) e = Enemy{-200.0F, 50.0F, false, 0, false};
  for (Coin& c : g.Coins) c = Coin{-100.0F, 50.0F};
  for (Bullet& b : g.Bullets) b = Bullet{-100.0F, 50.0F, 0, false};
  g.CarX = -1000.0F;
  g.CarY = 0.0F;
  return g;
}

class FrameTest : public ::testing::Test {
 protected:
  Sprites sprites = MakeTestSprites();

  Surface Draw(const GameState& g) const {
    Surface s(kPlayfieldW, kPlayfieldH, 0x777777);  // not black: the clear must happen
    DrawFrame(s, sprites, g);
    return s;
  }

  Surface StatusOnly(int hp, long long score) const {
    Surface s(kPlayfieldW, kPlayfieldH);
    WriteText(s, sprites, 0, 370, "HP:" + std::to_string(hp));
    WriteText(s, sprites, 0, 386, "SCORE:" + std::to_string(score));
    return s;
  }
};

TEST_F(FrameTest, EmptyGameShowsOnlyTheStatusLines) {
  struct Case {
    std::int16_t hitCount;
    std::int32_t score;
  };
  for (const Case c : {Case{0, 0}, Case{3, 100}, Case{1, 2147483647}, Case{2, -5}}) {
    GameState g = EmptyGame();
    g.HitCount = c.hitCount;
    g.Score = c.score;
    EXPECT_EQ(DifferentPixels(Draw(g), StatusOnly(3 - c.hitCount, c.score)), 0)
        << c.hitCount << " " << c.score;
  }
}

TEST_F(FrameTest, WideScoreIsClippedAtTheRightEdgeNotMoved) {
  GameState g = EmptyGame();
  g.Score = 12345678;  // 14 glyphs, 252 pixels on a 250-pixel playfield
  Surface wide(300, kPlayfieldH);
  WriteText(wide, sprites, 0, 370, "HP:3");
  WriteText(wide, sprites, 0, 386, "SCORE:12345678");
  const Surface frame = Draw(g);
  for (int y = 0; y < kPlayfieldH; ++y) {
    for (int x = 0; x < kPlayfieldW; ++x) ASSERT_EQ(frame.At(x, y), wide.At(x, y)) << x << "," << y;
  }
}

TEST_F(FrameTest, ParkedAndFarAwayObjectsDrawNothing) {
  const float inf = std::numeric_limits<float>::infinity();
  const float far[] = {-200.0F, 1e30F, -1e30F, inf, -inf, std::nanf(""), 40000.0F, -32768.0F};
  for (float v : far) {
    GameState g = EmptyGame();
    for (Plate& p : g.Plates) p = Plate{v, v};
    for (Enemy& e : g.Enemies) e.X = v;
    for (Coin& c : g.Coins) c.Y = v;
    for (Bullet& b : g.Bullets) b = Bullet{v, 10.0F, 2, true};
    g.CarX = v;
    EXPECT_EQ(DifferentPixels(Draw(g), StatusOnly(3, 0)), 0) << v;
  }
}

TEST_F(FrameTest, PositionsRoundHalvesToEven) {
  struct Case {
    float x, y;
    int px, py;
  };
  const Case cases[] = {{10.0F, 2.5F, 10, 2},   {10.0F, 3.5F, 10, 4},   {12.5F, 40.0F, 12, 40},
                        {13.5F, 40.0F, 14, 40}, {20.4F, 40.6F, 20, 41}, {-0.5F, 0.5F, 0, 0}};
  for (const Case& c : cases) {
    GameState g = EmptyGame();
    g.Plates[4] = Plate{c.x, c.y};
    const Surface s = Draw(g);
    EXPECT_EQ(s.At(c.px, c.py), kPlateColour) << c.x << "," << c.y;
    if (c.px > 0) {
      EXPECT_EQ(s.At(c.px - 1, c.py), kBlack) << c.x;
    }
    if (c.py > 0) {
      EXPECT_EQ(s.At(c.px, c.py - 1), kBlack) << c.y;
    }
    EXPECT_EQ(CountColour(s, kPlateColour), 80 * 10 - 1 - (c.px < 0 ? 10 : 0));
  }
}

TEST_F(FrameTest, CarOrMarkerAtTheTopEdge) {
  struct Case {
    float carY;
    int carPixels;    // car pixels visible
    int arrowPixels;  // marker pixels visible
  };
  // The test car has a transparent border; its inner 32 x 14 is red but for
  // one black pixel at (17, 8).
  const Case cases[] = {
      {-16.0F, 0, 0},            // bottom row at y = -1: nothing
      {-15.5F, 0, 0},            // rounds to -16 as well
      {-15.0F, 0, 0},            // only the transparent bottom row is inside
      {-14.0F, 32, 0},           // one inner row shows
      {-16.5F, 0, 18 * 30 - 1},  // the marker, whole, at y = 0
      {-1000.0F, 0, 18 * 30 - 1},
  };
  for (const Case& c : cases) {
    GameState g = EmptyGame();
    g.CarX = 40.5F;  // rounds to 40
    g.CarY = c.carY;
    const Surface s = Draw(g);
    EXPECT_EQ(CountColour(s, kCarColour), c.carPixels) << c.carY;
    EXPECT_EQ(CountColour(s, kArrowColour), c.arrowPixels) << c.carY;
    if (c.arrowPixels > 0) {
      EXPECT_EQ(CountColour(s, kArrowColour, 41, 1, 41 + 18, 1 + 30), c.arrowPixels);
    }
    if (c.carPixels > 0) {
      EXPECT_EQ(CountColour(s, kCarColour, 41, 0, 41 + 32, 1), c.carPixels);
    }
  }
}

TEST_F(FrameTest, BulletsDrawBySlotFlagAndKind) {
  struct Case {
    std::int16_t kind;
    bool flying;
    std::uint32_t colour;  // 0: nothing drawn
    int pixels;
  };
  const Case cases[] = {{0, true, kBulletLColour, 9 * 4 - 1},
                        {1, true, kBulletRColour, 9 * 4 - 1},
                        {2, true, kBulletUColour, 4 * 9 - 1},
                        {0, false, kBulletLColour, 0},
                        {2, false, kBulletUColour, 0},
                        {3, true, 0, 0},
                        {-1, true, 0, 0}};
  for (const Case& c : cases) {
    GameState g = EmptyGame();
    g.Bullets[5] = Bullet{100.0F, 100.0F, c.kind, c.flying};
    const Surface s = Draw(g);
    if (c.colour != 0) {
      EXPECT_EQ(CountColour(s, c.colour), c.pixels) << c.kind << c.flying;
    }
    EXPECT_EQ(DifferentPixels(s, StatusOnly(3, 0)) != 0, c.pixels != 0) << c.kind << c.flying;
  }
}

TEST_F(FrameTest, EveryEnemyAndCoinSlotIsDrawnAliveOrNot) {
  GameState g = EmptyGame();
  g.Enemies[1] = Enemy{50.0F, 50.0F, false, 0, false};  // not alive, but in view
  g.Coins[5] = Coin{150.0F, 150.0F};
  const Surface s = Draw(g);
  EXPECT_EQ(CountColour(s, kEnemyColour), 34 * 16 - 1);
  EXPECT_EQ(CountColour(s, kCoinColour), 8 * 8 - 1);
}

TEST_F(FrameTest, LayersStackPlatesEnemiesCoinsBulletsTextCar) {
  GameState g = EmptyGame();
  g.Plates[0] = Plate{0.0F, 100.0F};
  g.Enemies[0] = Enemy{10.0F, 97.0F, false, 0, true};  // over the plate
  g.Coins[0] = Coin{20.0F, 100.0F};                    // over the enemy
  g.Bullets[0] = Bullet{22.0F, 103.0F, 1, true};       // over the coin
  g.Enemies[1] = Enemy{0.0F, 384.0F, false, 0, true};  // under the SCORE line
  g.CarX = 0.0F;
  g.CarY = 366.0F;  // over the HP line
  const Surface s = Draw(g);
  EXPECT_EQ(s.At(5, 100), kPlateColour);
  EXPECT_EQ(s.At(12, 100), kEnemyColour);
  EXPECT_EQ(s.At(21, 101), kCoinColour);
  EXPECT_EQ(s.At(24, 104), kBulletRColour);

  const Surface text = StatusOnly(3, 0);
  int textOverEnemy = 0;
  int carOverText = 0;
  for (int y = 384; y < 400; ++y) {
    for (int x = 0; x < 34; ++x) {
      const bool stroke = text.At(x, y) == kFontColour;
      const bool carInner = x >= 1 && x <= 32 && y >= 367 && y <= 380;
      if (stroke && !carInner) {
        EXPECT_EQ(s.At(x, y), kFontColour) << x << "," << y;
        ++textOverEnemy;
      }
    }
  }
  for (int y = 370; y < 381; ++y) {
    for (int x = 1; x <= 32; ++x) {
      if (text.At(x, y) != kFontColour || (x == 17 && y == 374)) continue;
      EXPECT_EQ(s.At(x, y), kCarColour) << x << "," << y;
      ++carOverText;
    }
  }
  EXPECT_GT(textOverEnemy, 20);
  EXPECT_GT(carOverText, 20);
}

TEST_F(FrameTest, ExtremeCountersAreWrittenWithoutOverflow) {
  GameState g = EmptyGame();
  g.HitCount = std::numeric_limits<std::int16_t>::min();
  g.Score = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(DifferentPixels(Draw(g), StatusOnly(32771, -2147483648LL)), 0);

  for (std::int16_t screenH : {std::int16_t{-32768}, std::int16_t{32767}, std::int16_t{0}}) {
    GameState h = EmptyGame();
    h.ScreenH = screenH;  // lines off the playfield or not placeable: skipped
    const Surface s = Draw(h);
    EXPECT_EQ(CountColour(s, kFontColour, 0, 14, 250, 400), 0) << screenH;
  }
}

}  // namespace
}  // namespace voltaro
