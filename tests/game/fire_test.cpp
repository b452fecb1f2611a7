// Fire keys, bullets and hits: the press/release timings, slot use, flight,
// and the strict overlap limits of both contact tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "game/keys.h"
#include "game/phases.h"
#include "tests/game/scripted_platform.h"

namespace voltaro {
namespace {

using testing::OpenShaft;

struct TimingCase {
  const char* name;
  std::map<int, std::vector<bool>> events;  // frame -> Z downs (true) and ups before it
  std::vector<int> shots;
};

TEST(FireKeys, PressesAndReleasesShootOnTime) {
  const TimingCase cases[] = {
      {"HeldEveryElevenFrames", {{1, {true}}}, {1, 12, 23, 34}},
      {"TapBetweenFramesShootsOnce", {{5, {true, false}}}, {5}},
      // Released before 4 (cool-down frozen at 8), pressed before 7 and held:
      // 7, 6, ... 0, -1 shoots in frame 15; a release before 10 shoots at once.
      {"FrozenCooldownResumes", {{1, {true}}, {4, {false}}, {7, {true}}}, {1, 15, 26, 37}},
      {"ReleaseServesPendingPress",
       {{1, {true}}, {4, {false}}, {7, {true}}, {10, {false}}},
       {1, 10}},
      {"RepeatAfterLastShotAddsOneOnRelease", {{1, {true}}, {5, {true}}, {8, {false}}}, {1, 8}},
  };
  for (const TimingCase& c : cases) {
    GameState game = OpenShaft();
    std::vector<int> shots;
    for (int frame = 1; frame <= 40; ++frame) {
      if (auto it = c.events.find(frame); it != c.events.end()) {
        for (bool down : it->second) {
          if (down) HandleKeyDown(game, kKeyZ);
          if (!down) HandleKeyUp(game, kKeyZ);
        }
      }
      FirePhase(game);
      if (game.Bullets[0].Flying) shots.push_back(frame);
      game.Bullets[0].Flying = false;
    }
    EXPECT_EQ(shots, c.shots) << c.name;
  }
}

TEST(FireKeys, KeysServedInOrderIntoLowestFreeSlots) {
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 200;
  game.Bullets[0].Flying = true;
  for (int key : {kKeyD, kKeyV, kKeyZ}) HandleKeyDown(game, key);
  FirePhase(game);
  const Bullet expected[] = {{91, 206, 0, true}, {134, 206, 1, true}, {115, 191, 2, true}};
  for (int i = 0; i < 3; ++i) {
    const Bullet& b = game.Bullets[static_cast<std::size_t>(i + 1)];
    EXPECT_EQ(b.Kind, expected[i].Kind);
    EXPECT_EQ(b.X, expected[i].X);
    EXPECT_EQ(b.Y, expected[i].Y);
  }
}

TEST(FireKeys, FullSlotsDropTheShotButStillRestartCooldown) {
  GameState game = OpenShaft();
  for (Bullet& b : game.Bullets) b.Flying = true;
  HandleKeyDown(game, kKeyZ);
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

TEST(BulletHits, OpenOverlapAndNoFreeSlot) {
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
    EXPECT_TRUE(game.Bullets[0].Flying);  // it flies on
  }
  GameState game = OpenShaft();  // one bullet can hit both enemies
  game.Enemies[0] = {100, 100, false, 2, true};
  game.Enemies[1] = {110, 105, false, 3, true};
  game.Bullets[7] = {112, 106, 1, true};
  BulletHits(game);
  EXPECT_EQ(game.Score, 200);
  EXPECT_EQ(game.Enemies[1].X, -200.0f);
}

TEST(EnemyContacts, OpenOverlapOnEveryEdge) {
  for (const auto& [dx, dy, touch] :
       {std::tuple{-34.0f, 0.0f, false}, std::tuple{-33.5f, 0.0f, true},
        std::tuple{34.0f, 0.0f, false}, std::tuple{0.0f, 16.0f, false},
        std::tuple{0.0f, -15.5f, true}}) {
    GameState game = OpenShaft();
    game.CarX = 100;
    game.CarY = 100;
    game.Enemies[0] = {100 - dx, 100 - dy, false, 0, true};
    EXPECT_FALSE(EnemyContacts(game));
    EXPECT_EQ(game.HitCount, touch ? 1 : 0) << dx << "," << dy;
  }
}

TEST(EnemyContacts, ThreeContactsAreSurvivedAndTheFourthEndsTheGameAtOnce) {
  GameState game = OpenShaft();
  game.CarX = 100;
  game.CarY = 100;
  for (int contact = 1; contact <= 4; ++contact) {
    game.Enemies[0] = {100, 100, false, 0, true};
    game.Enemies[1] = {101, 100, false, 1, true};
    if (contact < 4) game.Enemies[1].X = -200;  // one contact a frame until the last
    const bool ends = contact == 4;
    EXPECT_EQ(EnemyContacts(game), ends) << "contact " << contact;
    EXPECT_EQ(game.HitCount, contact);
    EXPECT_EQ(game.GameMode, ends ? kModeGameOver : kModePlaying) << "contact " << contact;
  }
  EXPECT_TRUE(game.Enemies[1].Alive);  // the rest of the test does not run
}

}  // namespace
}  // namespace voltaro
