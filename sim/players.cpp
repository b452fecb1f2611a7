// The bot and the pilot. The pilot looks ahead by running the game's own car
// phase on a copy of the game among the sinking plates (without re-placement,
// enemies' walks or coins) to choose where to jump and where to steer a fall.
#include "sim/players.h"

#include <algorithm>
#include <cmath>

#include "game/keys.h"
#include "game/phases.h"

namespace voltaro::sim {

namespace {

constexpr std::array<int, 6> kBotKeys = {kKeyLeft, kKeyRight, kKeyUp, kKeyZ, kKeyV, kKeyD};
constexpr std::array<int, kFireKeyCount> kFireKeys = {kKeyZ, kKeyV, kKeyD};

// How far ahead the pilot looks, in frames: a jump lasts about 50 frames
// before it lands again on a plate at the height it left.
constexpr int kLookAhead = 90;

void Press(std::vector<KeyEvent>& out, std::uint64_t tick, bool down, int code) {
  out.push_back(KeyEvent{tick, down, code});
}

// Steering that brings the car to rest at targetX: aim for a sideways speed
// that shrinks as the target comes near, and press towards that speed.
// Returns the wanted MoveKey: 0 none, 1 left, 2 right.
int SteerToward(float x, float vx, float targetX) {
  const float want = std::clamp((targetX - x) / 3.0f, -6.0f, 6.0f);
  if (vx < want - 0.5f) return 2;
  if (vx > want + 0.5f) return 1;
  return 0;
}

// Where the look-ahead puts a plate that has sunk out at the bottom: the
// game will place it again somewhere above, but where is not known yet, so
// the car cannot land on it any more.
constexpr float kSunkOut = 100000;

// The look-ahead runs the game's own car phase on a copy of the game, among
// plates and enemies that only sink.
struct LookAhead {
  GameState game;
  float outBelow = 0;
};

LookAhead LookAheadFrom(const GameState& game) {
  LookAhead ahead{game, static_cast<float>(game.ScreenH + kOutBelow)};
  ahead.game.RidePlate =
      static_cast<std::int16_t>(std::clamp<int>(game.RidePlate, 0, kPlateCount - 1));
  return ahead;
}

// One frame of the look-ahead. Returns the plate landed on in it, or -1.
int Step(LookAhead& ahead, int moveKey) {
  GameState& g = ahead.game;
  for (Plate& p : g.Plates) {
    p.Y = p.Y + kScrollSpeed;
    if (p.Y > ahead.outBelow && p.Y < kSunkOut) p.Y = kSunkOut;
  }
  for (Enemy& e : g.Enemies) e.Y = e.Y + kScrollSpeed;
  const bool wasOnPlate = g.OnPlate;
  g.MoveKey = static_cast<std::int16_t>(moveKey);
  CarPhase(g);
  return !wasOnPlate && g.OnPlate ? g.RidePlate : -1;
}

// Near an alive enemy's box (with a few pixels to spare for its walk).
bool NearEnemy(const GameState& g) {
  for (const Enemy& e : g.Enemies) {
    if (!e.Alive) continue;
    if (std::fabs(g.CarX - e.X) < 34 + 4 && std::fabs(g.CarY - e.Y) < 16 + 3) return true;
  }
  return false;
}

struct Outcome {
  int plate = -1;        // plate landed on, -1 for none
  int frames = 0;        // frames until the landing
  float y = 0;           // CarY after the landing
  bool touched = false;  // passed an enemy on the way
};

// Follows the car (optionally starting a jump) while it steers for targetX,
// until it lands, falls out or the look-ahead ends.
Outcome Predict(const GameState& game, bool jump, float targetX) {
  LookAhead ahead = LookAheadFrom(game);
  GameState& g = ahead.game;
  if (jump) HandleKeyDown(g, kKeyUp);
  Outcome outcome;
  const float fallOut = static_cast<float>(game.ScreenH + 50);
  for (int f = 1; f <= kLookAhead; ++f) {
    const int landed = Step(ahead, SteerToward(g.CarX, g.CarVX, targetX));
    if (NearEnemy(g)) outcome.touched = true;
    if (landed >= 0) {
      outcome.plate = landed;
      outcome.frames = f;
      outcome.y = g.CarY;
      return outcome;
    }
    if (g.CarY > fallOut) break;
  }
  return outcome;
}

bool EnemyOn(const GameState& game, int plate) {
  for (const Enemy& e : game.Enemies) {
    if (e.Alive && e.PlateNo == plate) return true;
  }
  return false;
}

}  // namespace

void Bot::Decide(const GameState& /*game*/, std::uint64_t tick, std::vector<KeyEvent>& out) {
  // About one frame in four brings a key event, one in twenty two of them.
  const float r = random_.Next();
  const int count = r < 0.05f ? 2 : (r < 0.25f ? 1 : 0);
  for (int i = 0; i < count; ++i) {
    const int key = kBotKeys[random_.NextBits() % kBotKeys.size()];
    const bool down = random_.Next() < 0.6f;
    Press(out, tick, down, key);
  }
}

void Pilot::PlanFall(const GameState& game) {
  // Aim at the plate whose landing leaves the car highest, ties to the
  // sooner one; avoid plates that carry an enemy and paths past enemies.
  bool found = false;
  float bestScore = 0;
  for (int j = 0; j < kPlateCount; ++j) {
    const Plate& p = game.Plates[static_cast<std::size_t>(j)];
    const float target = p.X + 23;
    const Outcome o = Predict(game, false, target);
    if (o.plate < 0) continue;
    float score = o.y + 0.5f * static_cast<float>(o.frames);
    if (o.touched || EnemyOn(game, o.plate)) score += 400;
    if (!found || score < bestScore) {
      found = true;
      bestScore = score;
      airTargetX_ = target;
    }
  }
  if (!found) {
    // Nothing reachable: head for the nearest plate below the car.
    float bestGap = 1e9f;
    for (const Plate& p : game.Plates) {
      const float below = p.Y - game.CarY;
      if (below < 0) continue;
      const float gap = below + std::fabs(p.X + 23 - game.CarX);
      if (gap < bestGap) {
        bestGap = gap;
        airTargetX_ = p.X + 23;
        found = true;
      }
    }
  }
  haveAirTarget_ = found;
}

bool Pilot::PlanJump(const GameState& game, bool desperate) {
  const int ride = std::clamp<int>(game.RidePlate, 0, kPlateCount - 1);
  bool found = false;
  float bestScore = 0;
  for (int j = 0; j < kPlateCount; ++j) {
    if (j == ride) continue;
    const Plate& p = game.Plates[static_cast<std::size_t>(j)];
    if (p.Y > game.CarY) continue;  // only plates above the car
    const float target = p.X + 23;
    const Outcome o = Predict(game, true, target);
    if (o.plate < 0 || o.plate == ride || o.touched || EnemyOn(game, o.plate)) continue;
    // Worth it only if the car ends higher than riding on would leave it.
    const float stayY = game.CarY + 2.5f * static_cast<float>(o.frames);
    if (o.y > stayY - 40) continue;
    const float score = o.y;
    if (!found || score < bestScore) {
      found = true;
      bestScore = score;
      airTargetX_ = target;
    }
  }
  if (!found && desperate) {
    // The plate is about to leave: jump anyway, steer towards the middle.
    airTargetX_ = static_cast<float>(game.ScreenW - kCarW) / 2;
    found = true;
  }
  haveAirTarget_ = found;
  return found;
}

void Pilot::Steer(const GameState& game, float targetX, std::uint64_t tick,
                  std::vector<KeyEvent>& out) {
  const int want = SteerToward(game.CarX, game.CarVX, targetX);
  if (want == game.MoveKey) return;
  // Either arrow's release stops the steering, so let go of the old one first.
  if (game.MoveKey == 1) Press(out, tick, false, kKeyLeft);
  if (game.MoveKey == 2) Press(out, tick, false, kKeyRight);
  if (want == 1) Press(out, tick, true, kKeyLeft);
  if (want == 2) Press(out, tick, true, kKeyRight);
}

void Pilot::Fire(const GameState& game, std::uint64_t tick, std::vector<KeyEvent>& out) {
  std::array<bool, kFireKeyCount> want{};
  for (const Enemy& e : game.Enemies) {
    if (!e.Alive || e.X < -100) continue;
    const float dy = e.Y - game.CarY;
    // Side bullets fly at the car's middle height and sink with the scroll.
    if (std::fabs(dy) < 10) {
      if (e.X + kEnemyW <= game.CarX) want[0] = true;
      if (e.X >= game.CarX + kCarW) want[1] = true;
    }
    // Up bullets start over the car's middle and fly straight up.
    const float bx = game.CarX + 15 - e.X;
    if (dy < 0 && dy > -350 && bx > -9 && bx < 34) want[2] = true;
  }
  for (int k = 0; k < kFireKeyCount; ++k) {
    auto& burst = randomFireFrames_[static_cast<std::size_t>(k)];
    if (burst > 0) {
      --burst;
      want[static_cast<std::size_t>(k)] = true;
    } else if (random_.Next() < 0.004f) {
      burst = 1 + static_cast<int>(random_.NextBits() % 25);
    }
  }
  for (int k = 0; k < kFireKeyCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (want[i] && !game.FireHeld[i]) {
      Press(out, tick, true, kFireKeys[i]);
    } else if (want[i] && random_.Next() < 0.05f) {
      Press(out, tick, true, kFireKeys[i]);  // the keyboard's auto-repeat
    } else if (!want[i] && game.FireHeld[i]) {
      Press(out, tick, false, kFireKeys[i]);
    }
  }
}

void Pilot::Decide(const GameState& game, std::uint64_t tick, std::vector<KeyEvent>& out) {
  Fire(game, tick, out);
  if (game.OnPlate) {
    if (!wasOnPlate_) jumpFloor_ = 120.0f + 160.0f * random_.Next();
    wasOnPlate_ = true;
    const Plate& plate =
        game.Plates[static_cast<std::size_t>(std::clamp<int>(game.RidePlate, 0, kPlateCount - 1))];
    // The ridden plate has gone back to the top while the car sinks on.
    const bool plateGone = std::fabs(plate.Y - kCarH - game.CarY) > 1.0f;
    const bool desperate = plateGone || game.CarY > 330;
    if ((game.CarY > jumpFloor_ && tick % 2 == 0) || desperate) {
      if (PlanJump(game, desperate)) {
        Press(out, tick, true, kKeyUp);
        Press(out, tick, false, kKeyUp);
        wasOnPlate_ = false;
        lastPlanTick_ = tick;
        Steer(game, airTargetX_, tick, out);
        return;
      }
    }
    Steer(game, plate.X + 23, tick, out);
    return;
  }
  wasOnPlate_ = false;
  if (!haveAirTarget_ || tick >= lastPlanTick_ + 3) {
    PlanFall(game);
    lastPlanTick_ = tick;
  }
  if (haveAirTarget_) {
    Steer(game, airTargetX_, tick, out);
  } else {
    Steer(game, game.CarX, tick, out);  // just hold still sideways
  }
}

}  // namespace voltaro::sim
