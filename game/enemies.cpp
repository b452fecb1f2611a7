// Enemies: two patrols that walk their plates one pixel a frame, sink with the
// scroll, and are placed again on a plate at or above the top edge once they
// have sunk out at the bottom.
#include "game/game_ready.h"
#include "game/phases.h"
#include "game/placement_math.h"

namespace voltaro {
namespace {

inline constexpr int kMaxTries = 5;          // six tries in all
inline constexpr float kCentreOnPlate = 23;  // (80 - 34) / 2

void Walk(GameState& game, Enemy& enemy) {
  if (enemy.GoLeft) enemy.X = enemy.X - 1;
  if (!enemy.GoLeft) enemy.X = enemy.X + 1;
  // The bounds come from the plate every frame, so an enemy whose plate was
  // placed again at the top is held inside the new plate's span.
  const Plate& plate = game.Plates[static_cast<std::size_t>(enemy.PlateNo)];
  if (enemy.X < plate.X) {
    enemy.GoLeft = false;
    enemy.X = plate.X;
  }
  const float rightEnd = (plate.X + kPlateW) - kEnemyW;
  if (enemy.X > rightEnd) {
    enemy.GoLeft = true;
    enemy.X = rightEnd;
  }
}

}  // namespace

void SetEnemy(GameState& game, Platform& platform, int pNum) {
  Enemy& enemy = game.Enemies[static_cast<std::size_t>(pNum)];
  int tries = 0;
  bool done = false;
  while (!done) {
    done = true;
    const int r = static_cast<int>(FloorTimes(kPlateCount, platform.Random()));
    const Plate& plate = game.Plates[static_cast<std::size_t>(r)];
    if (plate.Y > 0) {
      // The plate is already in view: the enemy waits where it is.
      done = false;
      enemy.Alive = false;
    } else {
      enemy.PlateNo = static_cast<std::int16_t>(r);
      enemy.X = plate.X + kCentreOnPlate;
      enemy.Y = plate.Y - kEnemyH;
      enemy.Alive = true;
      // Never two enemies on one plate, even if the other one is dead.
      for (int c = 0; c < kEnemyCount; ++c) {
        if (c == pNum) continue;
        if (game.Enemies[static_cast<std::size_t>(c)].PlateNo == enemy.PlateNo) {
          done = false;
          enemy.X = kParkedEnemyX;
          enemy.Alive = false;
        }
      }
    }
    ++tries;
    if (tries > kMaxTries) done = true;
  }
}

void EnemyPhase(GameState& game, Platform& platform) {
  const float outBelow = Bound(game.ScreenH, kOutBelow);
  for (int o = 0; o < kEnemyCount; ++o) {
    Enemy& enemy = game.Enemies[static_cast<std::size_t>(o)];
    if (enemy.Alive) Walk(game, enemy);
    enemy.Y = enemy.Y + kScrollSpeed;
    if (enemy.Y > outBelow) SetEnemy(game, platform, o);
  }
}

}  // namespace voltaro
