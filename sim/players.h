// Simulated players. Each has its own random source seeded from its command
// line seed, so the game's own draws stay exactly those of the game. Before
// every frame a player looks at the state and adds the key events it wants
// delivered; they are recorded in the trace like scripted ones.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "game/game_state.h"
#include "game/random_source.h"
#include "sim/key_script.h"

namespace voltaro::sim {

class Player {
 public:
  virtual ~Player() = default;
  virtual void Decide(const GameState& game, std::uint64_t tick, std::vector<KeyEvent>& out) = 0;
};

// Random presses and releases of Left, Right, Up, Z, V and D, with the key
// repeats and the key-ups of keys that are not down that a real keyboard and
// a careless player produce.
class Bot final : public Player {
 public:
  explicit Bot(std::uint64_t seed) : random_(seed) {}
  void Decide(const GameState& game, std::uint64_t tick, std::vector<KeyEvent>& out) override;

 private:
  RandomSource random_;
};

// A player with some sense: rides a plate near its middle, jumps to a higher
// plate before the one it rides sinks too low, steers a fall onto the plate
// below, keeps its sideways speed small, shoots at enemies in line with the
// car and now and then fires for the fun of it.
class Pilot final : public Player {
 public:
  explicit Pilot(std::uint64_t seed) : random_(seed) {}
  void Decide(const GameState& game, std::uint64_t tick, std::vector<KeyEvent>& out) override;

 private:
  // The car's left edge the steering aims for while in the air.
  void PlanFall(const GameState& game);
  bool PlanJump(const GameState& game, bool desperate);
  void Steer(const GameState& game, float targetX, std::uint64_t tick, std::vector<KeyEvent>& out);
  void Fire(const GameState& game, std::uint64_t tick, std::vector<KeyEvent>& out);

  RandomSource random_;
  float airTargetX_ = 0;
  bool haveAirTarget_ = false;
  std::uint64_t lastPlanTick_ = 0;
  float jumpFloor_ = 200;  // CarY from which a jump to a higher plate is looked for
  bool wasOnPlate_ = false;
  std::array<int, kFireKeyCount> randomFireFrames_{};  // frames left of a random burst
};

}  // namespace voltaro::sim
