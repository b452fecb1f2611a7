// Fixtures for the rule tests: a platform with scripted draws, an open shaft,
// and the draw that gives a wanted placement.
#pragma once

#include <vector>

#include "game/game_state.h"
#include "game/headless_platform.h"

namespace voltaro::testing {

// A platform whose first draws are `script`, then those of a seeded source.
inline HeadlessPlatform ScriptedPlatform(const std::vector<float>& script = {},
                                         std::uint64_t seed = 1) {
  HeadlessPlatform platform(seed);
  platform.Script(script);
  return platform;
}

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
