// The frame as a whole: phase order, how a game ends, keys pressed during the
// set-up or inside a frame, and the key handlers' mode table. What a later
// game carries over from the one before is checked on whole games, in the
// scenario test games_carry_over.
#include <gtest/gtest.h>

#include "game/game_ready.h"
#include "game/keys.h"
#include "game/play_frame.h"
#include "game/run_time_error.h"
#include "tests/game/scripted_platform.h"

namespace voltaro {
namespace {

using testing::OpenShaft;
using testing::ScriptedPlatform;

TEST(FrameOrder, EnemyShotThisFrameCannotTouchTheCar) {
  HeadlessPlatform platform;
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 100;
  game.Plates[8] = {90, 200};
  game.Enemies[0] = {99, 97.5f, false, 8, true};  // walks and sinks onto the car
  game.Bullets[2] = {118, 102.5f, 0, true};       // moves to (108, 105): a hit
  EXPECT_EQ(UpdateFrame(game, platform), FrameEnd::kContinue);
  EXPECT_EQ(game.Score, 100);
  EXPECT_EQ(game.HitCount, 0);
}

TEST(FrameOrder, BulletsMoveBeforeTheyAreTestedAgainstEnemies) {
  HeadlessPlatform platform = ScriptedPlatform();
  GameState game = OpenShaft();
  game.Enemies[0] = {100, 197.5f, false, 0, false};  // sinks to (100, 200)
  game.Bullets[3] = {139, 197.5f, 0, true};          // 39 px off, then 29: a hit
  EXPECT_EQ(UpdateFrame(game, platform), FrameEnd::kContinue);
  EXPECT_EQ(game.Score, 100);
}

TEST(FrameEnds, FallOutOnlyStrictlyBelowTheLimit) {
  HeadlessPlatform platform;
  GameState game = OpenShaft();
  game.CarY = 450;
  EXPECT_EQ(UpdateFrame(game, platform), FrameEnd::kContinue);  // 450 is not past it
  EXPECT_EQ(UpdateFrame(game, platform), FrameEnd::kFell);
  EXPECT_EQ(game.GameMode, kModeGameOver);
}

TEST(FrameEnds, ScoreOverflowIsAnErrorNotAWrap) {
  GameState game = OpenShaft();
  game.Score = INT32_MAX;
  EXPECT_THROW(ScorePoint(game), RunTimeError);
  EXPECT_EQ(game.Score, INT32_MAX);
}

TEST(GameReady, KeysDuringPlatePlacementAreOverwrittenButReleaseStays) {
  GameState game = OpenShaft();
  HeadlessPlatform platform = ScriptedPlatform({}, 5);
  platform.onPump = [&](std::int64_t pump) {
    if (pump != 1) return;
    HandleKeyDown(game, kKeyRight);
    HandleKeyDown(game, kKeyZ);
    HandleKeyUp(game, kKeyZ);
  };
  GameReady(game, platform);
  EXPECT_EQ(game.MoveKey, 0);
  EXPECT_FALSE(game.FireHeld[0]);
  EXPECT_TRUE(game.FireServed[0]);
  EXPECT_TRUE(game.FireReleased[0]);
}

// A key that arrives at a pump inside a placement acts in the same frame: a
// jump in the plate phase is seen by the car phase, a shot in the coin phase
// flies at once.
TEST(MidFrameEvents, KeyDuringAPlacementActsInTheSameFrame) {
  GameState game = OpenShaft();
  game.Plates[1] = {90, 200};
  game.OnPlate = true;
  game.RidePlate = 1;
  game.CarX = 100;
  game.CarY = 186.5f;
  game.Plates[7] = {0, 410};  // sinks out this frame and is placed again
  HeadlessPlatform platform = ScriptedPlatform({0.9f, 0.5f});
  platform.onPump = [&](std::int64_t) { HandleKeyDown(game, kKeyUp); };
  UpdateFrame(game, platform);
  EXPECT_EQ(game.CarY, 186.5f - 13);

  game = OpenShaft();
  game.CarX = 100;
  game.CarY = 200;
  game.Coins[3] = {50, 410};  // sinks out this frame and is placed again
  platform = ScriptedPlatform({0.5f, 0.5f});
  platform.onPump = [&](std::int64_t) { HandleKeyDown(game, kKeyZ); };
  UpdateFrame(game, platform);
  EXPECT_EQ(game.Bullets[0].X, 100 - 9 - 10.0f);
}

TEST(Keys, EachModeListensOnlyToItsKeys) {
  struct Case {
    std::int16_t mode;
    int key;
    std::int16_t modeAfter, moveKey;
    bool zHeld;
  };
  for (const Case& c : {Case{kModeTitle, kKeyEnter, kModePlaying, 0, false},
                        Case{kModeTitle, kKeyZ, kModeTitle, 0, false},
                        Case{kModePlaying, kKeyEnter, kModePlaying, 0, false},
                        Case{kModePlaying, kKeyLeft, kModePlaying, 1, false},
                        Case{kModePlaying, kKeyZ, kModePlaying, 0, true},
                        Case{kModeGameOver, kKeyEnter, kModeTitle, 0, false},
                        Case{kModeGameOver, kKeyRight, kModeGameOver, 0, false},
                        Case{kModeTitle, kKeyProcess, kModeTitle, 0, false},
                        Case{kModePlaying, kKeyProcess, kModePlaying, 0, false},
                        Case{kModeGameOver, kKeyProcess, kModeGameOver, 0, false}}) {
    GameState game = OpenShaft();
    game.GameMode = c.mode;
    HandleKeyDown(game, c.key);
    EXPECT_EQ(game.GameMode, c.modeAfter) << c.mode << "/" << c.key;
    EXPECT_EQ(game.MoveKey, c.moveKey) << c.mode << "/" << c.key;
    EXPECT_EQ(game.FireHeld[0], c.zHeld) << c.mode << "/" << c.key;
  }
}

TEST(Keys, EitherArrowReleaseStopsSteeringAndReleasesIgnoredOutsidePlay) {
  GameState game = OpenShaft();
  HandleKeyDown(game, kKeyLeft);
  HandleKeyDown(game, kKeyRight);
  HandleKeyUp(game, kKeyLeft);
  EXPECT_EQ(game.MoveKey, 0);
  HandleKeyDown(game, kKeyZ);
  game.GameMode = kModeGameOver;
  HandleKeyUp(game, kKeyZ);
  EXPECT_FALSE(game.FireReleased[0]);
}

}  // namespace
}  // namespace voltaro
