// The effects a frame causes, read from the states before and after it: one
// row per sign (and the look-alikes that must stay silent), several in one
// frame, and whole games played through the play session.
#include "sound/frame_cues.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "game/play_session.h"
#include "sim/players.h"

namespace voltaro {
namespace {

// A game in play: the car stands on a plate, enemies in view, no bullet flying.
GameState InPlay() {
  GameState game;
  game.CarX = 100;
  game.CarY = 184;
  game.OnPlate = true;
  game.Enemies[0] = {40, 120, false, 1, true};
  game.Enemies[1] = {150, 300, true, 2, true};
  game.Score = 500;
  game.HitCount = 1;
  return game;
}

// What a frame in which nothing happens leaves: everything sank, one point.
GameState Sunk(GameState game) {
  for (Coin& coin : game.Coins) coin.Y += kScrollSpeed;
  for (Enemy& enemy : game.Enemies) enemy.Y += kScrollSpeed;
  game.CarY += kScrollSpeed;
  game.Score += 1;
  return game;
}

using S = GameState;
using Change = std::function<void(S& before, S& after)>;

struct CueCase {
  const char* name;
  std::vector<Effect> heard;
  Change change;
  FrameEnd end = FrameEnd::kContinue;
};

// One row a line.
// clang-format off
void Jump(S&, S& a) { a.OnPlate = false; a.CarVY = -12.5f; }
void Fire(S&, S& a) { a.Bullets[3] = {134, 196, 1, true}; }
void TakeCoin(S&, S& a) { a.Coins[2] = {77, -300}; a.Score += 100; }
void ShootEnemy(S&, S& a) { a.Enemies[1] = {kParkedEnemyX, 302.5f, true, 2}; a.Score += 100; }
void RunInto(S&, S& a) { a.Enemies[0] = {kParkedEnemyX, 122.5f, false, 1, false}; a.HitCount++; }

TEST(FrameCues, EachSignGivesItsEffect) {
  using enum Effect;
  const CueCase cases[] = {
    {"PlainFrame", {}, [](S&, S&) {}},
    {"JumpBeforeTheCarMoved", {kJump}, Jump},
    {"JumpDuringCoinPlacement", {kJump}, [](S&, S& a) { a.CarVY = -13; }},
    {"RisingAfterALateJump", {}, [](S& b, S& a) { b.CarVY = -13; a.CarVY = -12.5f; }},
    {"WalkedOffThePlate", {}, [](S&, S& a) { a.OnPlate = false; a.CarVY = 2.5f; }},
    {"BulletLaunched", {kShot}, Fire},
    {"UpBulletAboveTheTopFreedAtOnce", {kShot}, [](S&, S& a) { a.Bullets[0] = {115, -31, 2}; }},
    {"ShotFreedWhereTheLastOneWas", {kShot}, [](S& b, S& a) {
       b.FireCooldown[2] = 3; a.FireCooldown[2] = 10; }},
    {"BulletFlewOut", {}, [](S& b, S& a) {
       b.Bullets[0] = {262, 100, 1, true}; a.Bullets[0] = {272, 102.5f, 1}; }},
    {"CoinTaken", {kCoin}, TakeCoin},
    {"CoinSankOutAndPlacedAgain", {}, [](S& b, S& a) { b.Coins[1].Y = 409; a.Coins[1] = {9, -2}; }},
    {"EnemyShotDown", {kEnemyDown}, ShootEnemy},
    // Placed again on enemy 1's plate: parked at once, no points.
    {"CoinWhileAnEnemyFoundNoPlate", {kCoin}, [](S& b, S& a) {
       TakeCoin(b, a); b.Enemies[0].Y = 408; a.Enemies[0] = {kParkedEnemyX, -116, false, 2}; }},
    {"EnemyPlacedAgainAndShotAtOnce", {kEnemyDown}, [](S& b, S& a) {
       b.Enemies[0].Y = 408; a.Enemies[0] = {kParkedEnemyX, -20, false, 5}; a.Score += 100; }},
    {"CarRunInto", {kCarHit}, RunInto},
    {"FourthHit", {kCarHit, kGameOver}, [](S& b, S& a) {
       b.HitCount = a.HitCount = 3; RunInto(b, a); a.Score -= 1; }, FrameEnd::kHits},
    {"FellOut", {kGameOver}, [](S&, S& a) { a.Score -= 1; }, FrameEnd::kFell},
    {"EverythingAtOnce", {kJump, kShot, kCoin, kEnemyDown, kCarHit}, [](S& b, S& a) {
       for (const auto c : {Jump, Fire, TakeCoin, ShootEnemy, RunInto}) c(b, a); }},
  };
  // clang-format on
  for (const CueCase& c : cases) {
    GameState before = InPlay();
    GameState after = Sunk(before);
    c.change(before, after);
    EffectSet expected;
    for (const Effect effect : c.heard) expected.Add(effect);
    EXPECT_EQ(FrameCues(before, after, c.end), expected) << c.name;
  }
}

// Plays through the play session with the simulator's pilot at the keys.
class PilotHost final : public PlayHost {
 public:
  explicit PilotHost(std::uint64_t seed) : pilot(seed) {}
  void BeginFrame() override {
    keys.clear();
    pilot.Decide(game, ++tick, keys);
    for (const sim::KeyEvent& key : keys) session.Deliver(key.down, key.code);
  }

  GameState game;
  RandomSource random{7};
  PlaySession session{game, random, *this};
  sim::Pilot pilot;
  std::vector<sim::KeyEvent> keys;
  std::uint64_t tick = 0;
};

TEST(CueObserver, WholeGamesSoundTheirJumpsShotsAndEnd) {
  for (const std::uint64_t seed : {1u, 2u, 3u}) {
    PilotHost host(seed);
    std::multiset<Effect> heard;
    CueObserver cues([&heard](Effect effect) { heard.insert(effect); });
    host.session.Watch(cues);
    host.game.GameMode = kModePlaying;
    host.session.Start();
    while (host.session.RunFrame() == FrameEnd::kContinue) {
    }
    EXPECT_GT(heard.count(Effect::kJump), 0u) << seed;
    EXPECT_GT(heard.count(Effect::kShot), 0u) << seed;
    EXPECT_EQ(heard.count(Effect::kGameOver), 1u) << seed;
  }
}

}  // namespace
}  // namespace voltaro
