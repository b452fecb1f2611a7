// Bullets and hits: the three fire keys with their cool-down, the eight shared
// bullet slots, bullets against enemies and enemies against the car.
#include "game/phases.h"
#include "game/placement_math.h"

namespace voltaro {
namespace {

inline constexpr std::int16_t kCooldown = 10;  // a held key fires every 11 frames
inline constexpr float kBulletSpeed = 10;
inline constexpr int kOutside = 20;  // freed this far outside the playfield
inline constexpr std::int32_t kEnemyPoints = 100;
inline constexpr std::int16_t kHitsSurvived = 3;

// Where a bullet of each kind starts, relative to the car's top-left corner:
// just outside its left or right side at mid-height, or just above its middle.
void Launch(Bullet& bullet, std::int16_t kind, const GameState& game) {
  bullet.Kind = kind;
  switch (kind) {
    case 0:
      bullet.X = game.CarX - 9;
      bullet.Y = game.CarY + 6;
      break;
    case 1:
      bullet.X = game.CarX + 34;
      bullet.Y = game.CarY + 6;
      break;
    default:
      bullet.X = game.CarX + 15;
      bullet.Y = game.CarY - 9;
      break;
  }
  bullet.Flying = true;
}

}  // namespace

void FirePhase(GameState& game) {
  for (int i = 0; i < kFireKeyCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    // An idle key keeps its cool-down frozen.
    if (!game.FireHeld[k] && game.FireServed[k]) continue;
    game.FireCooldown[k] = Add16(game.FireCooldown[k], -1);
    // A press is never lost: once released it shoots whatever the cool-down.
    if (game.FireCooldown[k] < 0 || (game.FireReleased[k] && !game.FireServed[k])) {
      game.FireServed[k] = true;
      game.FireCooldown[k] = kCooldown;
      for (Bullet& bullet : game.Bullets) {
        if (!bullet.Flying) {
          Launch(bullet, static_cast<std::int16_t>(i), game);
          break;
        }
      }
    }
  }
}

void BulletPhase(GameState& game) {
  const float right = Bound(game.ScreenW, kOutside);
  const float bottom = Bound(game.ScreenH, kOutside);
  for (Bullet& bullet : game.Bullets) {
    if (!bullet.Flying) continue;
    switch (bullet.Kind) {
      case 0:
        bullet.X = bullet.X - kBulletSpeed;
        bullet.Y = bullet.Y + kScrollSpeed;  // side bullets sink with the scroll
        break;
      case 1:
        bullet.X = bullet.X + kBulletSpeed;
        bullet.Y = bullet.Y + kScrollSpeed;
        break;
      case 2:
        bullet.Y = bullet.Y - kBulletSpeed;
        break;
      default:
        break;
    }
    if (!(-kOutside <= bullet.X && bullet.X <= right)) bullet.Flying = false;
    if (!(-kOutside <= bullet.Y && bullet.Y <= bottom)) bullet.Flying = false;
  }
}

void BulletHits(GameState& game) {
  // Every bullet is tested as a 9 x 4 box, the up bullet too. A bullet flies
  // on after a hit and may hit the other enemy as well.
  for (const Bullet& bullet : game.Bullets) {
    if (!bullet.Flying) continue;
    for (Enemy& enemy : game.Enemies) {
      const float dx = bullet.X - enemy.X;
      const float dy = bullet.Y - enemy.Y;
      if (-9 < dx && dx < kEnemyW && -4 < dy && dy < kEnemyH) {
        game.Score = Add32(game.Score, kEnemyPoints);
        enemy.Alive = false;
        enemy.X = kParkedEnemyX;
      }
    }
  }
}

bool EnemyContacts(GameState& game) {
  // Dead enemies take part too: one left below the bottom edge after a failed
  // placement can still touch a car that is falling out.
  for (Enemy& enemy : game.Enemies) {
    const float dx = game.CarX - enemy.X;
    const float dy = game.CarY - enemy.Y;
    if (-kCarW < dx && dx < kEnemyW && -kCarH < dy && dy < kEnemyH) {
      enemy.Alive = false;
      enemy.X = kParkedEnemyX;
      game.HitCount = Add16(game.HitCount, 1);
      if (game.HitCount > kHitsSurvived) {
        game.GameMode = kModeGameOver;
        return true;
      }
    }
  }
  return false;
}

}  // namespace voltaro
