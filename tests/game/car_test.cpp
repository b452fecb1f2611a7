// The car: first fall, the jump's arc, landing windows, walking off, walls.
#include <gtest/gtest.h>

#include "game/game_ready.h"
#include "game/keys.h"
#include "game/phases.h"
#include "game/play_frame.h"
#include "scripted_platform.h"

namespace voltaro {
namespace {

using testing::OpenShaft;
using testing::ScriptedPlatform;

TEST(FirstFall, LandsOnStartingPlateInFrame25) {
  ScriptedPlatform platform;
  GameState game = OpenShaft();
  game.Plates[0] = {85, 100};
  game.CarX = 108;
  for (int frame = 1; frame <= 24; ++frame) {
    ASSERT_EQ(PlayFrame(game, platform), FrameEnd::kContinue);
    ScorePoint(game);
    ASSERT_FALSE(game.OnPlate) << "frame " << frame;
  }
  EXPECT_EQ(game.CarY, 138.0f);
  EXPECT_EQ(game.CarVY, 12.0f);
  PlayFrame(game, platform);
  EXPECT_TRUE(game.OnPlate);
  EXPECT_EQ(game.RidePlate, 0);
  EXPECT_EQ(game.CarY, 146.5f);
  EXPECT_EQ(game.CarVY, 0.0f);
  EXPECT_EQ(game.Score, 24);
}

TEST(Jump, RisesAHundredSeventyFivePixelsAndAHalf) {
  ScriptedPlatform platform;
  GameState game = OpenShaft();
  game.Plates[0] = {85, 300};
  game.CarX = 108;
  game.CarY = 284;
  game.OnPlate = true;
  game.RidePlate = 0;
  Form_KeyDown(game, platform, kKeyUp);
  EXPECT_FALSE(game.OnPlate);
  EXPECT_EQ(game.CarVY, -13.0f);
  Form_KeyDown(game, platform, kKeyUp);  // a repeat in the air does nothing
  EXPECT_EQ(game.CarVY, -13.0f);
  for (int frame = 1; frame <= 26; ++frame) CarPhase(game);
  EXPECT_EQ(game.CarY, 284.0f - 175.5f);
  EXPECT_EQ(game.CarVY, 0.0f);
  CarPhase(game);
  EXPECT_EQ(game.CarY, 284.0f - 175.5f);  // the 27th frame does not move
  CarPhase(game);
  EXPECT_GT(game.CarY, 284.0f - 175.5f);
}

struct LandingCase {
  const char* name;
  float carY;
  float carVY;   // before the phase; the move uses it, then gravity adds 0.5
  float plateY;  // where the plate already is (the plate phase is not run)
  bool lands;
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const LandingCase& c, std::ostream* os) {
  *os << c.name;
}

class Landing : public ::testing::TestWithParam<LandingCase> {};

TEST_P(Landing, UsesFastOrSlowWindow) {
  const LandingCase& c = GetParam();
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = c.carY;
  game.CarVY = c.carVY;
  game.Plates[4] = {100, c.plateY};
  CarPhase(game);
  EXPECT_EQ(game.OnPlate, c.lands);
  if (c.lands) {
    EXPECT_EQ(game.CarY, c.plateY - 16);
    EXPECT_EQ(game.RidePlate, 4);
    EXPECT_EQ(game.CarVY, 0.0f);
  }
}

// After the move CarY = carY + carVY; dy = plateY - CarY.
INSTANTIATE_TEST_SUITE_P(
    Car, Landing,
    ::testing::Values(LandingCase{"FastTopJustInsideBand", 100, 3, 93.5f, true},  // dy = -9.5
                      LandingCase{"FastTopAtBandEdge", 100, 3, 93, false},        // dy = -10
                      LandingCase{"FastBottomEdge", 100, 3, 119, false},          // dy = 16
                      LandingCase{"FastBottomInside", 100, 3, 118.5f, true},      // dy = 15.5
                      LandingCase{"FastFromThree", 100, 2.5f, 110, true},         // dy = 7.5
                      LandingCase{"SlowUpperHalf", 100, 2, 109.5f, false},        // dy = 7.5
                      LandingCase{"SlowAtHalf", 100, 2, 110, false},              // dy = 8
                      LandingCase{"SlowLowerHalf", 100, 2, 110.5f, true},         // dy = 8.5
                      LandingCase{"RisingCarPassesUp", 100, -6, 95, false},
                      LandingCase{"StoppedCarDoesNotLand", 100, -0.5f, 108, false},  // VY becomes 0
                      LandingCase{"WhollyAboveTopEdge", -30, 14, -6, false},         // CarY -16
                      LandingCase{"JustBelowTopEdge", -30, 14.5f, -6, true}),        // CarY -15.5
    [](const auto& p) { return std::string(p.param.name); });

TEST(Landing, CentreMustLieStrictlyWithinPlate) {
  for (const auto& [plateX, lands] :
       {std::pair{117.0f, false}, {116.5f, true}, {37.0f, false}, {37.5f, true}}) {
    GameState game = OpenShaft();
    game.CarX = 100;
    game.CarY = 100;
    game.CarVY = 5;
    game.Plates[2] = {plateX, 110};
    CarPhase(game);
    EXPECT_EQ(game.OnPlate, lands) << "plate at " << plateX;
  }
}

TEST(PassUp, SlowRiseThroughPlateKeepsItsSpeed) {
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 100;
  game.CarVY = -2;  // after the phase's gravity: -1.5, inside the slow window
  game.Plates[1] = {90, 95};
  game.Plates[2] = {120, 90};  // a second overlapping plate takes another 0.5
  CarPhase(game);
  EXPECT_EQ(game.CarY, 98.0f);
  EXPECT_EQ(game.CarVY, -2.5f);

  game.CarVY = -5.5f;  // becomes -5: too fast, gravity acts normally
  CarPhase(game);
  EXPECT_EQ(game.CarVY, -5.0f);
}

TEST(WalkOff, LeavesInFirstFrameCentrePassesTheEnd) {
  GameState game = OpenShaft();
  game.Plates[3] = {100, 200};
  game.RidePlate = 3;
  game.OnPlate = true;
  game.CarY = 184;
  game.CarX = 161;  // centre 178
  game.CarVX = 1;
  CarPhase(game);  // centre 179: d = -62
  EXPECT_TRUE(game.OnPlate);
  CarPhase(game);  // centre 180, the plate's end: still on
  EXPECT_TRUE(game.OnPlate);
  CarPhase(game);  // centre 181: off
  EXPECT_FALSE(game.OnPlate);
  EXPECT_EQ(game.CarVY, 2.5f);
  EXPECT_EQ(game.CarY, 184 + 3 * 2.5f);
}

TEST(WalkOff, GlidingBackLandsOnSamePlateButNotInFirstFrame) {
  GameState game = OpenShaft();
  game.Plates[3] = {100, 200};
  game.RidePlate = 3;
  game.OnPlate = true;
  game.CarY = 184;
  game.CarX = 163;  // centre 180, the plate's right end
  game.CarVX = 1;
  // The plate sinks before each car phase, as in a frame.
  const auto frame = [&game] {
    game.Plates[3].Y += 2.5f;
    CarPhase(game);
  };
  frame();
  ASSERT_FALSE(game.OnPlate);
  game.CarVX = -3;  // steered back at once: centre 178
  frame();          // dy is exactly 16: cannot land yet
  EXPECT_FALSE(game.OnPlate);
  EXPECT_EQ(game.Plates[3].Y - game.CarY, 16.0f);
  frame();
  EXPECT_TRUE(game.OnPlate);
  EXPECT_EQ(game.RidePlate, 3);
  EXPECT_EQ(game.CarY, game.Plates[3].Y - 16);
}

TEST(Walls, BounceBackWithFourFifthsInDoublePrecision) {
  // 0.8 is a double constant: for some speeds the single-precision product
  // would differ in the last bit.
  for (float vx : {-0.1f, -0.8f, -1.1f, -3.0f, -29.0f}) {
    GameState game = OpenShaft();
    game.CarY = 300;
    game.CarX = 0.05f;
    game.CarVX = vx;
    CarPhase(game);
    EXPECT_EQ(game.CarX, 0.0f);
    EXPECT_EQ(game.CarVX, static_cast<float>(-static_cast<double>(vx) * 0.8)) << vx;

    game.CarX = 215.95f;
    game.CarVX = -vx;
    CarPhase(game);
    EXPECT_EQ(game.CarX, 216.0f);
    EXPECT_EQ(game.CarVX, static_cast<float>(static_cast<double>(vx) * 0.8)) << vx;
  }
}

TEST(Walls, AtTheWallExactlyNothingHappens) {
  GameState game = OpenShaft();
  game.CarY = 300;
  game.CarX = 2;
  game.CarVX = -2;
  CarPhase(game);
  EXPECT_EQ(game.CarX, 0.0f);
  EXPECT_EQ(game.CarVX, -2.0f);
}

TEST(Steering, NoFrictionAndOneUnitPerFrameHeld) {
  ScriptedPlatform platform;
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 300;
  Form_KeyDown(game, platform, kKeyRight);
  for (int i = 0; i < 3; ++i) CarPhase(game);
  EXPECT_EQ(game.CarVX, 3.0f);
  EXPECT_EQ(game.CarX, 106.0f);
  Form_KeyUp(game, kKeyRight);
  CarPhase(game);
  EXPECT_EQ(game.CarVX, 3.0f);
  EXPECT_EQ(game.CarX, 109.0f);
}

}  // namespace
}  // namespace voltaro
