// Fire keys, bullets and hits: the press/release timings, slot use, flight,
// and the strict overlap limits of both contact tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "game/keys.h"
#include "game/phases.h"
#include "scripted_platform.h"

namespace voltaro {
namespace {

using testing::OpenShaft;
using testing::ScriptedPlatform;

// Runs frames of the fire step and records in which ones key Z shot.
// `events` maps a frame to the key events delivered just before it.
std::vector<int> ShotFrames(int frames,
                            const std::map<int, std::vector<std::pair<bool, int>>>& events) {
  ScriptedPlatform platform;
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 200;
  std::vector<int> shots;
  for (int frame = 1; frame <= frames; ++frame) {
    if (auto it = events.find(frame); it != events.end()) {
      for (auto [down, key] : it->second) {
        if (down)
          Form_KeyDown(game, platform, key);
        else
          Form_KeyUp(game, key);
      }
    }
    const auto flyingBefore = std::count_if(game.Bullets.begin(), game.Bullets.end(),
                                            [](const Bullet& b) { return b.Flying; });
    FirePhase(game);
    const auto flyingAfter = std::count_if(game.Bullets.begin(), game.Bullets.end(),
                                           [](const Bullet& b) { return b.Flying; });
    if (flyingAfter > flyingBefore) shots.push_back(frame);
    for (Bullet& b : game.Bullets) b.Flying = false;  // keep slots free
  }
  return shots;
}

TEST(FireKeys, HeldKeyShootsEveryElevenFrames) {
  EXPECT_EQ(ShotFrames(40, {{1, {{true, kKeyZ}}}}), (std::vector<int>{1, 12, 23, 34}));
}

TEST(FireKeys, PressAndReleaseBetweenFramesShootsOnce) {
  EXPECT_EQ(ShotFrames(30, {{5, {{true, kKeyZ}, {false, kKeyZ}}}}), (std::vector<int>{5}));
}

TEST(FireKeys, FrozenCooldownResumesOnTheNextPress) {
  // Shot in frame 1, released before 4 (cool-down frozen at 8), pressed again
  // before 7 and held: 7, 6, ... 0, -1 gives the next shot in frame 15.
  EXPECT_EQ(ShotFrames(20, {{1, {{true, kKeyZ}}}, {4, {{false, kKeyZ}}}, {7, {{true, kKeyZ}}}}),
            (std::vector<int>{1, 15}));
  // Released again before frame 10: the pending press shoots at once.
  EXPECT_EQ(ShotFrames(20, {{1, {{true, kKeyZ}}},
                            {4, {{false, kKeyZ}}},
                            {7, {{true, kKeyZ}}},
                            {10, {{false, kKeyZ}}}}),
            (std::vector<int>{1, 10}));
}

TEST(FireKeys, AutoRepeatAfterLastShotAddsOneShotOnRelease) {
  EXPECT_EQ(ShotFrames(30, {{1, {{true, kKeyZ}}}, {5, {{true, kKeyZ}}}, {8, {{false, kKeyZ}}}}),
            (std::vector<int>{1, 8}));
}

TEST(FireKeys, KeysServedInOrderIntoLowestFreeSlots) {
  ScriptedPlatform platform;
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 200;
  game.Bullets[0].Flying = true;
  for (int key : {kKeyD, kKeyV, kKeyZ}) Form_KeyDown(game, platform, key);
  FirePhase(game);
  EXPECT_EQ(game.Bullets[1].Kind, 0);
  EXPECT_EQ(game.Bullets[1].X, 91.0f);
  EXPECT_EQ(game.Bullets[1].Y, 206.0f);
  EXPECT_EQ(game.Bullets[2].Kind, 1);
  EXPECT_EQ(game.Bullets[2].X, 134.0f);
  EXPECT_EQ(game.Bullets[3].Kind, 2);
  EXPECT_EQ(game.Bullets[3].X, 115.0f);
  EXPECT_EQ(game.Bullets[3].Y, 191.0f);
}

TEST(FireKeys, FullSlotsDropTheShotButStillRestartCooldown) {
  ScriptedPlatform platform;
  GameState game = OpenShaft();
  for (Bullet& b : game.Bullets) b.Flying = true;
  Form_KeyDown(game, platform, kKeyZ);
  FirePhase(game);
  EXPECT_TRUE(game.FireServed[0]);
  EXPECT_EQ(game.FireCooldown[0], 10);
}

TEST(Bullets, FreedOnlyBeyondTwentyPixelsOutside) {
  struct Case {
    std::int16_t kind;
    float x, y;
    bool flying;
  };
  for (const Case& c :
       {Case{0, -10, 100, true}, Case{0, -10.5f, 100, false}, Case{1, 260, 100, true},
        Case{1, 260.5f, 100, false}, Case{0, 100, 417.5f, true}, Case{0, 100, 418, false},
        Case{2, 100, -10, true}, Case{2, 100, -10.5f, false}}) {
    GameState game = OpenShaft();
    game.Bullets[4] = {c.x, c.y, c.kind, true};
    BulletPhase(game);
    EXPECT_EQ(game.Bullets[4].Flying, c.flying) << c.kind << " at " << c.x << "," << c.y;
  }
}

TEST(BulletHits, OpenOverlapOfBulletBoxAndEnemy) {
  struct Case {
    float dx, dy;
    bool hit;
  };
  for (const Case& c :
       {Case{-9, 0, false}, Case{-8.5f, 0, true}, Case{34, 0, false}, Case{33.5f, 0, true},
        Case{0, -4, false}, Case{0, -3.5f, true}, Case{0, 16, false}, Case{0, 15.5f, true}}) {
    GameState game = OpenShaft();
    game.Enemies[1] = {100, 100, false, 2, true};
    game.Bullets[0] = {100 + c.dx, 100 + c.dy, 2, true};
    game.Bullets[5] = {100, 100, 0, false};  // a free slot never hits
    BulletHits(game);
    EXPECT_EQ(game.Score, c.hit ? 100 : 0) << c.dx << "," << c.dy;
    EXPECT_EQ(game.Enemies[1].X, c.hit ? -200.0f : 100.0f);
    EXPECT_TRUE(game.Bullets[0].Flying);
  }
}

TEST(BulletHits, OneBulletCanHitBothEnemies) {
  GameState game = OpenShaft();
  game.Enemies[0] = {100, 100, false, 2, true};
  game.Enemies[1] = {110, 105, false, 3, true};
  game.Bullets[7] = {112, 106, 1, true};
  BulletHits(game);
  EXPECT_EQ(game.Score, 200);
  EXPECT_FALSE(game.Enemies[0].Alive);
  EXPECT_FALSE(game.Enemies[1].Alive);
}

TEST(EnemyContacts, StrictLimitsAndTheFourthHitEndsAtOnce) {
  struct Case {
    float dx, dy;
    bool touch;
  };
  for (const Case& c : {Case{-34, 0, false}, Case{-33.5f, 0, true}, Case{34, 0, false},
                        Case{33.5f, 0, true}, Case{0, 16, false}, Case{0, -15.5f, true}}) {
    GameState game = OpenShaft();
    game.CarX = 100;
    game.CarY = 100;
    game.Enemies[0] = {100 - c.dx, 100 - c.dy, false, 0, true};
    EXPECT_FALSE(EnemyContacts(game));
    EXPECT_EQ(game.HitCount, c.touch ? 1 : 0) << c.dx << "," << c.dy;
  }

  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 100;
  game.HitCount = 3;
  game.Enemies[0] = {100, 100, false, 0, true};
  game.Enemies[1] = {101, 100, false, 1, true};
  EXPECT_TRUE(EnemyContacts(game));
  EXPECT_EQ(game.GameMode, kModeGameOver);
  EXPECT_EQ(game.HitCount, 4);
  EXPECT_TRUE(game.Enemies[1].Alive);  // the rest of the test does not run
}

}  // namespace
}  // namespace voltaro
