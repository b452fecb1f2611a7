// One play frame's update: the phases in their fixed order, and the two ways
// a game ends (the fourth enemy contact, or the car falling out).
#include "game/play_frame.h"

#include "game/phases.h"
#include "game/placement_math.h"

namespace voltaro {
namespace {

// The car may leave the top at any height; it is lost only once its top is
// more than 50 px below the bottom edge.
inline constexpr int kFallOutBelow = 50;

}  // namespace

FrameEnd UpdateFrame(GameState& game, Platform& platform) {
  PlatePhase(game, platform);
  CarPhase(game);
  EnemyPhase(game, platform);
  CoinPhase(game, platform);
  FirePhase(game);
  BulletPhase(game);
  BulletHits(game);
  if (EnemyContacts(game)) return FrameEnd::kHits;
  if (game.CarY > Bound(game.ScreenH, kFallOutBelow)) {
    game.GameMode = kModeGameOver;
    return FrameEnd::kFell;
  }
  return FrameEnd::kContinue;
}

void ScorePoint(GameState& game) {
  game.Score = Add32(game.Score, 1);
}

}  // namespace voltaro
