// Placement of plates, enemies and coins: draws, floors, spacing and retries.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_ready.h"
#include "game/phases.h"
#include "game/play_frame.h"
#include "scripted_platform.h"

namespace voltaro {
namespace {

using testing::DrawFor;
using testing::OpenShaft;
using testing::ScriptedPlatform;

constexpr float kLargestDraw = 1.0f - 0x1p-24f;

TEST(SetPlate, FloorsExactProductsOverTheWholeRange) {
  GameState game = OpenShaft();
  ScriptedPlatform platform({kLargestDraw, kLargestDraw});
  SetPlate(game, platform, 4);
  EXPECT_EQ(game.Plates[4].X, 169.0f);
  EXPECT_EQ(game.Plates[4].Y, -599.0f);
  // Far from the parked plates at the left wall, at the very top edge.
  game.Plates[4] = {};
  platform.Script({0.6f, 0.0f});
  SetPlate(game, platform, 4);
  EXPECT_EQ(game.Plates[4].X, std::floor(0.6f * 170.0));
  EXPECT_EQ(game.Plates[4].Y, 0.0f);
  EXPECT_TRUE(std::signbit(game.Plates[4].Y));  // minus the floor of zero
  EXPECT_EQ(platform.pumps, 2);                 // one pump per attempt
}

TEST(SetPlateFirst, SpreadsFromBottomEdgeToAboveTheTop) {
  GameState game = OpenShaft();
  ScriptedPlatform platform({DrawFor(150, 170), 0.0f, DrawFor(150, 170), kLargestDraw});
  SetPlateFirst(game, platform, 1);
  EXPECT_EQ(game.Plates[1].Y, 400.0f);
  SetPlateFirst(game, platform, 2);
  EXPECT_EQ(game.Plates[2].Y, -199.0f);
}

struct SpacingCase {
  const char* name;
  float otherX, otherY;  // the plate already there
  int spotX, spotY;      // the first spot drawn (SetPlate: Y = -spotY)
  bool free;
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const SpacingCase& c, std::ostream* os) {
  *os << c.name;
}

class Spacing : public ::testing::TestWithParam<SpacingCase> {};

TEST_P(Spacing, SpotIsTakenOnlyWhenCloseOnBothAxes) {
  const SpacingCase& c = GetParam();
  GameState game = OpenShaft();
  for (Plate& p : game.Plates) p = {0, 5000};  // out of the way
  game.Plates[7] = {c.otherX, c.otherY};
  ScriptedPlatform platform(
      {DrawFor(c.spotX, 170), DrawFor(c.spotY, 600), DrawFor(160, 170), DrawFor(0, 600)});
  SetPlate(game, platform, 2);
  EXPECT_EQ(platform.draws, c.free ? 2 : 4);
  EXPECT_EQ(platform.pumps, c.free ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(
    Plates, Spacing,
    ::testing::Values(SpacingCase{"ExactlyEightyRight", 80, -300, 0, 300, true},
                      SpacingCase{"SeventyNineRight", 79, -300, 0, 300, false},
                      SpacingCase{"ExactlyEightyLeft", 20, -300, 100, 300, true},
                      SpacingCase{"ExactlyHundredBelow", 50, -200, 50, 300, true},
                      SpacingCase{"NinetyNineAndHalfBelow", 50, -200.5f, 50, 300, false},
                      SpacingCase{"ExactlyHundredAbove", 50, -400, 50, 300, true},
                      SpacingCase{"SameSpot", 50, -300, 50, 300, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PlatePhase, PlateAtLimitStaysUntilItPassesIt) {
  GameState game = OpenShaft();
  game.Plates[5] = {40, 407.5f};
  ScriptedPlatform platform({DrawFor(120, 170), DrawFor(30, 600)});
  PlatePhase(game, platform);
  EXPECT_EQ(game.Plates[5].Y, 410.0f);
  EXPECT_EQ(platform.draws, 0);
  PlatePhase(game, platform);  // 412.5: placed again above
  EXPECT_EQ(game.Plates[5].X, 120.0f);
  EXPECT_EQ(game.Plates[5].Y, -30.0f);
}

TEST(PlatePhase, PlacedPlateIsMeasuredAgainstLaterPlatesBeforeTheyMove) {
  GameState game = OpenShaft();
  for (Plate& p : game.Plates) p = {0, -5000};
  game.Plates[2] = {50, 410};      // sinks out and is placed again at (50, 0)
  game.Plates[3] = {50, -101.5f};  // still 101.5 above when measured, 99 after its move
  ScriptedPlatform platform({DrawFor(50, 170), 0.0f, DrawFor(160, 170), DrawFor(300, 600)});
  PlatePhase(game, platform);
  EXPECT_EQ(game.Plates[2].X, 50.0f);
  EXPECT_EQ(game.Plates[3].Y - game.Plates[2].Y, -99.0f);

  // A lower-index plate has already moved: the same spot is now taken.
  game = OpenShaft();
  for (Plate& p : game.Plates) p = {0, -5000};
  game.Plates[1] = {50, -101.5f};
  game.Plates[2] = {50, 410};
  platform = ScriptedPlatform({DrawFor(50, 170), 0.0f, DrawFor(160, 170), DrawFor(300, 600)});
  PlatePhase(game, platform);
  EXPECT_EQ(game.Plates[2].X, 160.0f);
}

TEST(GameReady, StartingLayoutKeepsItsSpacingForManySeeds) {
  for (std::uint64_t seed = 1; seed <= 300; ++seed) {
    GameState game;
    game.GameMode = kModePlaying;
    ScriptedPlatform platform({}, seed);
    GameReady(game, platform);
    EXPECT_EQ(game.Plates[0].X, 85.0f);
    EXPECT_EQ(game.Plates[0].Y, 100.0f);
    for (int i = 1; i < kPlateCount; ++i) {
      const Plate& p = game.Plates[static_cast<std::size_t>(i)];
      ASSERT_EQ(p.X, std::floor(p.X));
      ASSERT_GE(p.X, 0.0f);
      ASSERT_LE(p.X, 169.0f);
      ASSERT_GE(p.Y, -199.0f);
      ASSERT_LE(p.Y, 400.0f);
      for (int j = 0; j < i; ++j) {
        const Plate& q = game.Plates[static_cast<std::size_t>(j)];
        ASSERT_TRUE(std::abs(p.X - q.X) >= 80 || std::abs(p.Y - q.Y) >= 100)
            << "seed " << seed << " plates " << j << " and " << i;
      }
      // The unplaced plates at (0, 0) kept plates 1 to 7 off that corner.
      if (i < 8) {
        ASSERT_FALSE(p.X < 80 && -100 < p.Y && p.Y < 100) << "seed " << seed;
      }
    }
  }
}

TEST(SetEnemy, GivesUpAfterSixTriesOnPlatesAlreadyInView) {
  GameState game = OpenShaft();
  for (Plate& p : game.Plates) p.Y = 50;
  game.Enemies[0] = {-200, 412.5f, false, 3, false};
  ScriptedPlatform platform;
  SetEnemy(game, platform, 0);
  EXPECT_EQ(platform.draws, 6);
  EXPECT_FALSE(game.Enemies[0].Alive);
  EXPECT_EQ(game.Enemies[0].X, -200.0f);
  EXPECT_EQ(game.Enemies[0].Y, 412.5f);
  EXPECT_EQ(game.Enemies[0].PlateNo, 3);
}

TEST(SetEnemy, NeverSharesAPlateEvenWithADeadEnemy) {
  GameState game = OpenShaft();
  for (Plate& p : game.Plates) p = {100, -40};
  game.Plates[4] = {60, -50};
  game.Enemies[1] = {-200, 300, false, 4, false};
  // Six tries all on plate 4: the last one leaves the enemy parked.
  ScriptedPlatform platform(std::vector<float>(6, DrawFor(4, 9)));
  SetEnemy(game, platform, 0);
  EXPECT_FALSE(game.Enemies[0].Alive);
  EXPECT_EQ(game.Enemies[0].X, -200.0f);
  EXPECT_EQ(game.Enemies[0].Y, -66.0f);
  EXPECT_EQ(game.Enemies[0].PlateNo, 4);

  // A conflict, then a free plate: centred on it, keeping its direction.
  game.Enemies[0].GoLeft = true;
  platform.Script({DrawFor(4, 9), DrawFor(6, 9)});
  SetEnemy(game, platform, 0);
  EXPECT_TRUE(game.Enemies[0].Alive);
  EXPECT_EQ(game.Enemies[0].PlateNo, 6);
  EXPECT_EQ(game.Enemies[0].X, 123.0f);
  EXPECT_EQ(game.Enemies[0].Y, -56.0f);
  EXPECT_TRUE(game.Enemies[0].GoLeft);
}

TEST(EnemyPhase, WalkBackAndForthTakesNinetyFourFrames) {
  GameState game = OpenShaft();
  game.Plates[6] = {50, -1000};
  game.Enemies[0] = {73, -1000, false, 6, true};
  ScriptedPlatform platform;
  std::vector<float> xs;
  for (int f = 0; f < 400; ++f) {
    EnemyPhase(game, platform);
    xs.push_back(game.Enemies[0].X);
    ASSERT_GE(xs.back(), 50.0f);
    ASSERT_LE(xs.back(), 96.0f);
  }
  for (std::size_t f = 0; f + 94 < xs.size(); ++f) ASSERT_EQ(xs[f], xs[f + 94]) << f;
  // Each end is shown in two frames in a row.
  int atRightEnd = 0;
  for (std::size_t f = 0; f < 94; ++f) atRightEnd += xs[f] == 96.0f;
  EXPECT_EQ(atRightEnd, 2);
}

TEST(FirstPlacements, EnemiesAndCoinsArePlacedInFrame165) {
  GameState game;
  game.GameMode = kModePlaying;
  ScriptedPlatform platform({}, 7);
  GameReady(game, platform);
  for (int frame = 1; frame <= 165; ++frame) {
    // Keep the car in play on the starting plate's column, out of the way.
    game.CarX = 0;
    game.CarY = -300;
    game.CarVY = 0;
    game.OnPlate = false;
    ASSERT_EQ(PlayFrame(game, platform), FrameEnd::kContinue);
    if (frame == 164) {
      EXPECT_EQ(game.Enemies[0].Y, 410.0f);
      EXPECT_EQ(game.Coins[5].X, -100.0f);
    }
  }
  for (const Coin& c : game.Coins) {
    EXPECT_GE(c.X, 0.0f);
    EXPECT_LE(c.Y, 0.0f);
  }
  EXPECT_NE(game.Enemies[0].Y, 412.5f);
  // Enemy 1 still holds plate 0 from set-up when enemy 0 is placed.
  if (game.Enemies[0].Alive) {
    EXPECT_NE(game.Enemies[0].PlateNo, 0);
  }
}

TEST(SetCoin, RetriesUntilNoPlateIsTouched) {
  GameState game = OpenShaft();
  game.Plates[0] = {100, -300};
  // First spot overlaps the plate's left end (coin at 91, top 5 px above the plate).
  ScriptedPlatform platform(
      {DrawFor(91, 240), DrawFor(305, 600), DrawFor(90, 240), DrawFor(305, 600)});
  SetCoin(game, platform, 2);
  EXPECT_EQ(platform.draws, 4);
  EXPECT_EQ(game.Coins[2].X, 90.0f);  // touches the plate's edge only
  EXPECT_EQ(game.Coins[2].Y, -305.0f);
}

}  // namespace
}  // namespace voltaro
