// Set-up of a new game: the starting plate under the car, eight plates at
// random free spots, the car centred at the top, enemies and coins parked
// outside the playfield, no bullet in flight, fire keys idle, score 0.
#include "game/game_ready.h"

#include "game/placement_math.h"

namespace voltaro {
namespace {

inline constexpr float kStartPlateY = 100;

// The object arrays are regrown from their first element at every set-up:
// element 0 keeps what it held, the others come back zeroed.
template <typename T, std::size_t N>
void RegrowFromFirst(std::array<T, N>& objects) {
  for (std::size_t i = 1; i < N; ++i) objects[i] = T{};
}

}  // namespace

void GameReady(GameState& game, Platform& platform) {
  for (Plate& plate : game.Plates) plate = Plate{};
  // Exact division: an odd width would give a half-pixel X.
  game.Plates[0].X = static_cast<float>(Add16(game.ScreenW, -kPlateW) / 2.0);
  game.Plates[0].Y = kStartPlateY;
  // Plates not placed yet still sit at (0, 0) and count as obstacles.
  for (int i = 1; i < kPlateCount; ++i) SetPlateFirst(game, platform, i);

  // The car's centre is straight above the starting plate's centre. RidePlate
  // is left alone: it is read only while standing, and every landing sets it.
  game.CarX = static_cast<float>(Add16(game.ScreenW, -kCarW) / 2.0);
  game.CarY = 0;
  game.CarVY = 0;
  game.CarVX = 0;
  game.OnPlate = false;
  game.MoveKey = 0;

  // An enemy's GoLeft and PlateNo, and a bullet's Kind, carry over from the
  // previous game in element 0 only.
  RegrowFromFirst(game.Enemies);
  for (Enemy& enemy : game.Enemies) {
    enemy.X = kParkedEnemyX;
    enemy.Y = 0;
    enemy.Alive = false;
  }
  RegrowFromFirst(game.Coins);
  for (Coin& coin : game.Coins) coin = Coin{kParkedX, 0};
  RegrowFromFirst(game.Bullets);
  for (Bullet& bullet : game.Bullets) {
    bullet.Flying = false;
    bullet.X = kParkedX;
    bullet.Y = 0;
  }

  // FireReleased is not touched: a release missed on the game-over screen
  // stays missed.
  game.FireHeld = {};
  game.FireServed = {true, true, true};
  game.FireCooldown = {};

  game.Score = 0;
  game.HitCount = 0;
}

}  // namespace voltaro
