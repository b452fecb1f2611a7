// Coins: six of them float in the shaft, sink with the scroll, and are worth
// 100 points when the car touches one; a taken or lost coin is placed again
// above the top edge where it does not touch a plate.
#include "game/game_ready.h"
#include "game/phases.h"
#include "game/placement_math.h"

namespace voltaro {
namespace {

inline constexpr std::int32_t kCoinPoints = 100;

// Only plates count: a coin may be placed over another coin or an enemy.
bool TouchesPlate(const GameState& game, const Coin& coin) {
  bool touches = false;
  for (const Plate& plate : game.Plates) {
    const float dx = plate.X - coin.X;
    const float dy = plate.Y - coin.Y;
    if (-kPlateW < dx && dx < kCoinW && -kPlateH < dy && dy < kCoinH) touches = true;
  }
  return touches;
}

bool CarTouches(const GameState& game, const Coin& coin) {
  const float dx = game.CarX - coin.X;
  const float dy = game.CarY - coin.Y;
  return -kCarW < dx && dx < kCoinW && -kCarH < dy && dy < kCoinH;
}

}  // namespace

void SetCoin(GameState& game, Platform& platform, int pNum) {
  Coin& coin = game.Coins[static_cast<std::size_t>(pNum)];
  const float xRange = static_cast<float>(Add16(game.ScreenW, -kCoinW));
  for (;;) {
    coin.X = static_cast<float>(FloorTimes(xRange, platform.Random()));
    coin.Y = static_cast<float>(-FloorTimes(600, platform.Random()));
    const bool free = !TouchesPlate(game, coin);
    platform.PumpEvents();
    if (free) return;
  }
}

void CoinPhase(GameState& game, Platform& platform) {
  const float outBelow = Bound(game.ScreenH, kOutBelow);
  for (int k = 0; k < kCoinCount; ++k) {
    Coin& coin = game.Coins[static_cast<std::size_t>(k)];
    coin.Y = coin.Y + kScrollSpeed;
    if (coin.Y > outBelow) SetCoin(game, platform, k);
  }
  // Collection is a second pass, after every coin has moved and been placed.
  for (int j = 0; j < kCoinCount; ++j) {
    if (CarTouches(game, game.Coins[static_cast<std::size_t>(j)])) {
      game.Score = Add32(game.Score, kCoinPoints);
      SetCoin(game, platform, j);
    }
  }
}

}  // namespace voltaro
