// The observable signs of each effect in the state a frame leaves behind; see
// frame_cues.h. Each sign is read off what the phases write, in the order
// UpdateFrame runs them.
#include "sound/frame_cues.h"

#include <algorithm>
#include <cstdint>

namespace voltaro {
namespace {

// A jump sets the car's vertical speed to -13; when the car's phase runs
// after the key (the key came between frames or during the plates'
// placements) gravity has already made it -12.5. Nothing else makes the car
// rise this fast, and a jump needs a plate under the car, so there is at
// most one in a frame.
inline constexpr float kJumpSpeed = -13;
inline constexpr float kJumpSpeedAfterGravity = -12.5f;

// A coin and an enemy shot down are worth the same; every frame that goes on
// earns one more point.
inline constexpr std::int64_t kPointsEach = 100;

bool Jumped(const GameState& before, const GameState& after) {
  return after.CarVY == kJumpSpeed ||
         (after.CarVY == kJumpSpeedAfterGravity && before.CarVY != kJumpSpeed);
}

// A bullet is launched only into a slot that was free when the frame began,
// and a free slot's position never changes otherwise: an up bullet fired from
// above the top edge is freed at once but has moved. The one that lands where
// the slot's last bullet was freed is seen in its key's cool-down, which only
// a shot sets to 10; unless the key was also tapped in the frame before, which
// leaves the two states alike (about one shot in half a million in the
// simulator's play).
bool Shot(const GameState& before, const GameState& after) {
  bool slotFree = false;
  for (std::size_t i = 0; i < after.Bullets.size(); ++i) {
    const Bullet& was = before.Bullets[i];
    const Bullet& is = after.Bullets[i];
    if (was.Flying) continue;
    slotFree = true;
    if (is.Flying || is.X != was.X || is.Y != was.Y || is.Kind != was.Kind) return true;
  }
  constexpr std::int16_t kCooldownAfterShot = 10;
  for (std::size_t k = 0; k < after.FireCooldown.size(); ++k) {
    if (slotFree && after.FireCooldown[k] == kCooldownAfterShot &&
        before.FireCooldown[k] != kCooldownAfterShot) {
      return true;
    }
  }
  return false;
}

// Whether enemy `i` was hit by a bullet or ran into the car this frame: both
// park it at -200. An enemy parked before stays there unless it is placed
// again; one placed again is parked also when the plate drawn for it is the
// other enemy's, which is seen in its PlateNo (the enemies are placed in
// order, so an earlier one is checked against the later one's plate from
// before the frame, a later one against the earlier one's new plate).
bool HitOrRunInto(const GameState& before, const GameState& after, std::size_t i) {
  const Enemy& was = before.Enemies[i];
  const Enemy& is = after.Enemies[i];
  if (is.X != kParkedEnemyX) return false;
  const float outBelow = static_cast<float>(before.ScreenH + kOutBelow);
  const bool placedAgain = was.Y + kScrollSpeed > outBelow && is.Y <= outBelow;
  if (!placedAgain) return was.X != kParkedEnemyX;
  for (std::size_t c = 0; c < after.Enemies.size(); ++c) {
    if (c == i) continue;
    const Enemy& other = c < i ? after.Enemies[c] : before.Enemies[c];
    if (other.PlateNo == is.PlateNo) return false;
  }
  return true;
}

struct Hundreds {
  std::int64_t coins = 0;
  std::int64_t enemies = 0;
};

// The score tells how many coins and enemies together, the enemies parked by
// a hit or a contact less the contacts how many enemies.
Hundreds SplitHundreds(const GameState& before, const GameState& after, FrameEnd end) {
  const std::int64_t frameSurvived = end == FrameEnd::kContinue ? 1 : 0;
  const std::int64_t hundreds =
      (static_cast<std::int64_t>(after.Score) - before.Score - frameSurvived) / kPointsEach;
  if (hundreds <= 0) return {};
  std::int64_t parked = 0;
  for (std::size_t i = 0; i < after.Enemies.size(); ++i) parked += HitOrRunInto(before, after, i);
  const std::int64_t contacts = static_cast<std::int64_t>(after.HitCount) - before.HitCount;
  const std::int64_t enemies = std::clamp(parked - contacts, std::int64_t{0}, hundreds);
  return {hundreds - enemies, enemies};
}

}  // namespace

EffectSet FrameCues(const GameState& before, const GameState& after, FrameEnd end) {
  EffectSet cues;
  if (Jumped(before, after)) cues.Add(Effect::kJump);
  if (Shot(before, after)) cues.Add(Effect::kShot);
  const Hundreds hundreds = SplitHundreds(before, after, end);
  if (hundreds.coins > 0) cues.Add(Effect::kCoin);
  if (hundreds.enemies > 0) cues.Add(Effect::kEnemyDown);
  if (after.HitCount > before.HitCount) cues.Add(Effect::kCarHit);
  if (end != FrameEnd::kContinue) cues.Add(Effect::kGameOver);
  return cues;
}

void CueObserver::FrameDone(const GameState& game, std::int64_t /*frame*/, FrameEnd end) {
  const EffectSet cues = FrameCues(before_, game, end);
  before_ = game;
  for (int i = 0; i < kEffectCount; ++i) {
    const auto effect = static_cast<Effect>(i);
    if (cues.Has(effect)) play_(effect);
  }
}

}  // namespace voltaro
