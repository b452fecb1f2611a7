// A platform for the rule tests: random draws come from a script (then from a
// seeded generator), and a test can run key handlers inside any event pump.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "game/game_state.h"
#include "game/platform.h"
#include "game/random_source.h"

namespace voltaro::testing {

class ScriptedPlatform : public Platform {
 public:
  explicit ScriptedPlatform(std::vector<float> script = {}, std::uint64_t seed = 1)
      : script_(script.begin(), script.end()), fallback_(seed) {}

  void PumpEvents() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
  float Random() override {
    ++draws;
    if (script_.empty()) return fallback_.Next();
    const float r = script_.front();
    script_.pop_front();
    return r;
  }
  void ShowImeMessage() override { ++imeMessages; }

  void Script(std::vector<float> more) { script_.insert(script_.end(), more.begin(), more.end()); }
  std::size_t ScriptLeft() const { return script_.size(); }

  int pumps = 0;
  int draws = 0;
  int imeMessages = 0;
  std::function<void(int pump)> onPump;  // runs inside PumpEvents

 private:
  std::deque<float> script_;
  RandomSource fallback_;
};

// A playing game with every plate but `kept` parked far above the top edge at
// the left wall, clear of the car's path, and no enemies or coins in reach.
inline GameState OpenShaft() {
  GameState game;
  game.GameMode = kModePlaying;
  for (int i = 0; i < kPlateCount; ++i)
    game.Plates[static_cast<std::size_t>(i)] = {0, -580.0f + 60.0f * static_cast<float>(i % 3)};
  for (Enemy& e : game.Enemies) e = {-200, -300, false, 0, false};
  for (Coin& c : game.Coins) c = {-100, -300};
  for (Bullet& b : game.Bullets) b = {-100, 0, 0, false};
  game.FireServed = {true, true, true};
  return game;
}

// The draw r that makes floor(r * n) come out as `value`.
inline float DrawFor(int value, int n) {
  return (static_cast<float>(value) + 0.5f) / static_cast<float>(n);
}

}  // namespace voltaro::testing
