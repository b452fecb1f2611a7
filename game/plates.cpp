// Plates: the sinking platforms of the shaft, their per-frame drift and their
// placement at the start of a game and when one sinks out at the bottom.
#include <cstdint>

#include "game/game_ready.h"
#include "game/phases.h"
#include "game/placement_math.h"

namespace voltaro {
namespace {

// Placed plates keep this distance from every other plate on one axis at least.
inline constexpr float kMinDX = 80;
inline constexpr float kMinDY = 100;

// True when plate pNum at its new spot is too close to some other plate. All
// eight take part, wherever they are; during set-up the ones not placed yet
// still sit at (0, 0).
bool SpotTaken(const GameState& game, int pNum) {
  const Plate& placed = game.Plates[static_cast<std::size_t>(pNum)];
  bool taken = false;
  for (int i = 0; i < kPlateCount; ++i) {
    if (i == pNum) continue;
    const Plate& other = game.Plates[static_cast<std::size_t>(i)];
    const float dx = other.X - placed.X;
    const float dy = other.Y - placed.Y;
    if (-kMinDX < dx && dx < kMinDX && -kMinDY < dy && dy < kMinDY) taken = true;
  }
  return taken;
}

// Draws spots until one is free: X first, then Y, two draws per attempt, and
// the window's events are pumped after every attempt.
template <typename PlaceY>
void PlacePlate(GameState& game, Platform& platform, int pNum, PlaceY placeY) {
  Plate& plate = game.Plates[static_cast<std::size_t>(pNum)];
  const float xRange = static_cast<float>(Add16(game.ScreenW, -kPlateW));
  for (;;) {
    plate.X = static_cast<float>(FloorTimes(xRange, platform.Random()));
    plate.Y = static_cast<float>(placeY(platform.Random()));
    const bool taken = SpotTaken(game, pNum);
    platform.PumpEvents();
    if (!taken) return;
  }
}

}  // namespace

void SetPlateFirst(GameState& game, Platform& platform, int pNum) {
  // The starting layout spreads from 199 px above the top edge down to the
  // bottom edge; 400 is a fixed depth, not the playfield's height.
  PlacePlate(game, platform, pNum, [](float r) { return 400.0 - FloorTimes(600, r); });
}

void SetPlate(GameState& game, Platform& platform, int pNum) {
  // During play a plate comes back from 0 to 599 px above the top edge.
  PlacePlate(game, platform, pNum, [](float r) { return -FloorTimes(600, r); });
}

void PlatePhase(GameState& game, Platform& platform) {
  const float outBelow = Bound(game.ScreenH, kOutBelow);
  for (int i = 0; i < kPlateCount; ++i) {
    Plate& plate = game.Plates[static_cast<std::size_t>(i)];
    plate.Y = plate.Y + kScrollSpeed;
    // Placed at once, so it is measured against the later plates before they
    // make this frame's move.
    if (plate.Y > outBelow) SetPlate(game, platform, i);
  }
}

}  // namespace voltaro
