// Placement of plates, enemies and coins: draws, floors, spacing and retries.
// The starting layout of every game is checked on whole games (scenario
// invariants).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "game/game_ready.h"
#include "game/phases.h"
#include "tests/game/scripted_platform.h"

namespace voltaro {
namespace {

using testing::DrawFor;
using testing::OpenShaft;
using testing::ScriptedPlatform;

constexpr float kLargestDraw = 1.0f - 0x1p-24f;

TEST(PlatePlacement, FloorsExactProductsOverTheWholeRange) {
  GameState game = OpenShaft();
  HeadlessPlatform platform =
      ScriptedPlatform({kLargestDraw, kLargestDraw, 0.6f, 0.0f, 0.0f, 0.0f});
  SetPlate(game, platform, 4);
  EXPECT_EQ(game.Plates[4].X, 169.0f);
  EXPECT_EQ(game.Plates[4].Y, -599.0f);
  SetPlate(game, platform, 4);
  EXPECT_EQ(game.Plates[4].X, std::floor(0.6f * 170.0));
  EXPECT_EQ(game.Plates[4].Y, 0.0f);
  EXPECT_TRUE(std::signbit(game.Plates[4].Y));  // minus the floor of zero
  SetPlateFirst(game, platform, 4);             // the starting layout reaches down to 400
  EXPECT_EQ(game.Plates[4].Y, 400.0f);
  EXPECT_EQ(platform.Pumps(), 3);  // one pump per attempt
}

TEST(Spacing, SpotIsTakenOnlyWhenCloseOnBothAxes) {
  struct Case {
    const char* name;
    float otherX, otherY;  // the plate already there
    int spotX, spotY;      // the first spot drawn (Y = -spotY)
    bool free;
  };
  for (const Case& c :
       {Case{"exactly 80 right", 80, -300, 0, 300, true}, Case{"79 right", 79, -300, 0, 300, false},
        Case{"exactly 80 left", 20, -300, 100, 300, true},
        Case{"exactly 100 below", 50, -200, 50, 300, true},
        Case{"99.5 below", 50, -200.5f, 50, 300, false},
        Case{"exactly 100 above", 50, -400, 50, 300, true}}) {
    GameState game = OpenShaft();
    for (Plate& p : game.Plates) p = {0, 5000};
    game.Plates[7] = {c.otherX, c.otherY};
    HeadlessPlatform platform = ScriptedPlatform(
        {DrawFor(c.spotX, 170), DrawFor(c.spotY, 600), DrawFor(160, 170), DrawFor(0, 600)});
    SetPlate(game, platform, 2);
    EXPECT_EQ(platform.DrawCount(), c.free ? 2 : 4) << c.name;
  }
}

TEST(PlatePhase, PlateIsPlacedAgainOnlyStrictlyPastTheLimit) {
  for (const auto& [startY, placed] : {std::pair{407.5f, false}, std::pair{408.0f, true}}) {
    GameState game = OpenShaft();
    game.Plates[5] = {40, startY};  // 410 exactly stays; 410.5 goes
    HeadlessPlatform platform = ScriptedPlatform({DrawFor(120, 170), DrawFor(30, 600)});
    PlatePhase(game, platform);
    EXPECT_EQ(game.Plates[5].Y, placed ? -30.0f : 410.0f) << startY;
  }
}

TEST(PlatePhase, PlacedPlateMeetsLaterPlatesBeforeTheyMove) {
  // The spot (50, 0) against a plate at (50, -101.5): free before that plate's
  // move, taken (99 px) after it.
  for (const auto& [other, expectedX] : {std::pair{3, 50.0f}, std::pair{1, 160.0f}}) {
    GameState game = OpenShaft();
    for (Plate& p : game.Plates) p = {0, -5000};
    game.Plates[2] = {50, 410};
    game.Plates[static_cast<std::size_t>(other)] = {50, -101.5f};
    HeadlessPlatform platform =
        ScriptedPlatform({DrawFor(50, 170), 0.0f, DrawFor(160, 170), DrawFor(300, 600)});
    PlatePhase(game, platform);
    EXPECT_EQ(game.Plates[2].X, expectedX) << "other plate " << other;
  }
}

TEST(SetEnemy, WaitsAfterSixTriesAndNeverSharesAPlate) {
  GameState game = OpenShaft();
  for (Plate& p : game.Plates) p.Y = 50;  // every plate already in view
  game.Enemies[0] = {-200, 412.5f, false, 3, false};
  HeadlessPlatform platform;
  SetEnemy(game, platform, 0);
  EXPECT_EQ(platform.DrawCount(), 6);
  EXPECT_FALSE(game.Enemies[0].Alive);
  EXPECT_EQ(game.Enemies[0].Y, 412.5f);

  for (Plate& p : game.Plates) p = {100, -40};
  game.Plates[4] = {60, -50};
  game.Enemies[1] = {-200, 300, false, 4, false};  // dead, but it holds plate 4
  platform.Script(std::vector<float>(6, DrawFor(4, 9)));
  SetEnemy(game, platform, 0);
  EXPECT_FALSE(game.Enemies[0].Alive);
  EXPECT_EQ(game.Enemies[0].X, -200.0f);
  EXPECT_EQ(game.Enemies[0].Y, -66.0f);

  game.Enemies[0].GoLeft = true;
  platform.Script({DrawFor(4, 9), DrawFor(6, 9)});
  SetEnemy(game, platform, 0);
  EXPECT_TRUE(game.Enemies[0].Alive);
  EXPECT_EQ(game.Enemies[0].PlateNo, 6);
  EXPECT_EQ(game.Enemies[0].X, 123.0f);  // centred on the plate
  EXPECT_EQ(game.Enemies[0].Y, -56.0f);
  EXPECT_TRUE(game.Enemies[0].GoLeft);  // keeps its direction
}

TEST(EnemyPhase, WalkBackAndForthTakesNinetyFourFrames) {
  GameState game = OpenShaft();
  game.Plates[6] = {50, -1000};
  game.Enemies[0] = {73, -1000, false, 6, true};
  HeadlessPlatform platform;
  std::vector<float> xs;
  for (int f = 0; f < 300; ++f) {
    EnemyPhase(game, platform);
    xs.push_back(game.Enemies[0].X);
  }
  for (std::size_t f = 0; f + 94 < xs.size(); ++f) ASSERT_EQ(xs[f], xs[f + 94]) << f;
  EXPECT_EQ(std::count(xs.begin(), xs.begin() + 94, 96.0f), 2);  // the end shows twice
  EXPECT_EQ(*std::min_element(xs.begin(), xs.end()), 50.0f);
}

TEST(SetCoin, RetriesUntilNoPlateIsTouched) {
  GameState game = OpenShaft();
  game.Plates[0] = {100, -300};
  HeadlessPlatform platform =
      ScriptedPlatform({DrawFor(91, 240), DrawFor(305, 600), DrawFor(90, 240), DrawFor(305, 600)});
  SetCoin(game, platform, 2);
  EXPECT_EQ(platform.DrawCount(), 4);
  EXPECT_EQ(game.Coins[2].X, 90.0f);  // touching the plate's edge is free
}

TEST(CoinPhase, CarCollectsOnlyInsideTheOpenRectangle) {
  // dx = CarX - coin.X, dy = CarY - coin.Y after the coin has sunk 2.5 px.
  for (const auto& [dx, dy, taken] :
       {std::tuple{-34.0f, 0.0f, false}, std::tuple{-33.5f, 0.0f, true},
        std::tuple{10.0f, 0.0f, false}, std::tuple{9.5f, 0.0f, true},
        std::tuple{0.0f, -16.0f, false}, std::tuple{0.0f, -15.5f, true},
        std::tuple{0.0f, 10.0f, false}, std::tuple{0.0f, 9.5f, true}}) {
    GameState game = OpenShaft();
    game.CarX = 100;
    game.CarY = 100;
    game.Coins[4] = {100 - dx, 100 - dy - 2.5f};
    HeadlessPlatform platform = ScriptedPlatform({DrawFor(50, 240), DrawFor(300, 600)});
    CoinPhase(game, platform);
    EXPECT_EQ(game.Score, taken ? 100 : 0) << dx << "," << dy;
    EXPECT_EQ(platform.DrawCount(), taken ? 2 : 0) << dx << "," << dy;
  }
}

}  // namespace
}  // namespace voltaro
