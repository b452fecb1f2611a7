// The car: the jump's arc, landing windows, walking off, walls. The first fall
// onto the starting plate is checked on a whole game (scenario first_landing).
#include <gtest/gtest.h>

#include <utility>

#include "game/keys.h"
#include "game/phases.h"
#include "tests/game/scripted_platform.h"

namespace voltaro {
namespace {

using testing::OpenShaft;

TEST(Jump, RisesAHundredSeventyFivePixelsAndAHalf) {
  GameState game = OpenShaft();
  game.Plates[0] = {85, 300};
  game.CarX = 108;
  game.CarY = 284;
  game.OnPlate = true;
  HandleKeyDown(game, kKeyUp);
  HandleKeyDown(game, kKeyUp);  // a repeat in the air does nothing
  EXPECT_EQ(game.CarVY, -13.0f);
  for (int frame = 1; frame <= 27; ++frame) CarPhase(game);  // the 27th does not move
  EXPECT_EQ(game.CarY, 284.0f - 175.5f);
  EXPECT_EQ(game.CarVY, 0.5f);
}

TEST(Landing, UsesFastOrSlowWindowAndStrictCentre) {
  struct Case {
    const char* name;
    float carY, carVY;     // before the phase: the move uses carVY, then gravity adds 0.5
    float plateX, plateY;  // the plate phase is not run; the car is at x = 100
    bool lands;
  };
  // After the move CarY = carY + carVY and dy = plateY - CarY.
  const Case cases[] = {{"fast, top inside the band", 100, 3, 100, 93.5f, true},   // dy -9.5
                        {"fast, top at the band's edge", 100, 3, 100, 93, false},  // dy -10
                        {"fast, bottom edge", 100, 3, 100, 119, false},            // dy 16
                        {"fast from 3", 100, 2.5f, 100, 110, true},                // dy 7.5
                        {"slow, at the half", 100, 2, 100, 110, false},            // dy 8
                        {"slow, lower half", 100, 2, 100, 110.5f, true},           // dy 8.5
                        {"stopped car", 100, -0.5f, 100, 108, false},
                        {"wholly above the top", -30, 14, 100, -6, false},    // CarY -16
                        {"just below the top", -30, 14.5f, 100, -6, true},    // CarY -15.5
                        {"centre at the left end", 100, 5, 117, 110, false},  // dx 17
                        {"centre inside", 100, 5, 116.5f, 110, true},
                        {"centre at the right end", 100, 5, 37, 110, false}};  // dx -63
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameState game = OpenShaft();
    game.CarX = 100;
    game.CarY = c.carY;
    game.CarVY = c.carVY;
    game.Plates[4] = {c.plateX, c.plateY};
    CarPhase(game);
    EXPECT_EQ(game.OnPlate, c.lands);
    if (c.lands) {
      EXPECT_EQ(game.CarY, c.plateY - 16);
      EXPECT_EQ(game.RidePlate, 4);
    }
  }
}

TEST(Landing, TheScanGoesOnSoALaterPlateThatStillFitsWins) {
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 100;
  game.CarVY = 5;              // 105 after the move, falling fast
  game.Plates[2] = {90, 110};  // lands: the car stands at 94
  game.Plates[6] = {95, 105};  // then 11 below the car's top, in the slow window
  CarPhase(game);
  EXPECT_EQ(game.RidePlate, 6);
  EXPECT_EQ(game.CarY, 89.0f);
}

TEST(PassUp, SlowRiseKeepsItsSpeedPerOverlappedPlate) {
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 100;
  game.CarVY = -2;  // -1.5 after gravity: inside the slow window
  game.Plates[1] = {90, 95};
  game.Plates[2] = {120, 90};
  CarPhase(game);
  EXPECT_EQ(game.CarVY, -2.5f);
  game.CarVY = -5.5f;  // -5 after gravity: too fast, no plate takes it back
  CarPhase(game);
  EXPECT_EQ(game.CarVY, -5.0f);
}

TEST(WalkOff, LeavesPastTheEndAndCanLandBackFromTheSecondFrame) {
  GameState game = OpenShaft();
  game.Plates[3] = {100, 200};
  game.RidePlate = 3;
  game.OnPlate = true;
  game.CarY = 184;
  game.CarX = 162;  // centre 179
  game.CarVX = 1;
  const auto frame = [&game] {  // the plate sinks before each car phase
    game.Plates[3].Y += 2.5f;
    CarPhase(game);
  };
  frame();  // centre 180, the plate's end: still on
  EXPECT_TRUE(game.OnPlate);
  frame();  // centre 181: off, falling at the plates' speed
  EXPECT_FALSE(game.OnPlate);
  EXPECT_EQ(game.CarVY, 2.5f);
  game.CarVX = -3;
  frame();  // dy is exactly 16: cannot land yet
  EXPECT_FALSE(game.OnPlate);
  frame();
  EXPECT_TRUE(game.OnPlate);
  EXPECT_EQ(game.RidePlate, 3);
}

TEST(WalkOff, CentreMayReachEitherEndOfThePlateButNotPassIt) {
  // The plate spans x 100..180; the car's centre is CarX + 17, the car stands still.
  for (const auto& [carX, stays] : {std::pair{83.0f, true}, std::pair{82.5f, false},
                                    std::pair{163.0f, true}, std::pair{163.5f, false}}) {
    GameState game = OpenShaft();
    game.Plates[3] = {100, 200};
    game.RidePlate = 3;
    game.OnPlate = true;
    game.CarY = 184;
    game.CarX = carX;
    CarPhase(game);
    EXPECT_EQ(game.OnPlate, stays) << "CarX " << carX;
    EXPECT_EQ(game.CarVY, stays ? 0.0f : 2.5f) << "CarX " << carX;
  }
}

TEST(Walls, BounceWithFourFifthsFormedInDoublePrecision) {
  // Speeds whose single-precision product with 0.8 would differ in the last bit.
  for (float vx : {-0.1f, -0.8f, -1.1f, -29.0f}) {
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
  GameState game = OpenShaft();  // reaching the wall exactly is no bounce
  game.CarX = 2;
  game.CarVX = -2;
  CarPhase(game);
  EXPECT_EQ(game.CarVX, -2.0f);
}

}  // namespace
}  // namespace voltaro
