// The bot and the pilot. The pilot looks ahead with a small model of the car
// among the sinking plates (the rules of falling, steering, the walls and
// landing, without re-placement or coins) to choose where to jump and where
// to steer a fall.
#include "players.h"

#include <algorithm>
#include <cmath>

#include "game/keys.h"

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

struct Model {
  float x = 0, y = 0, vx = 0, vy = 0;
  bool onPlate = false;
  int ride = 0;
  std::array<Plate, kPlateCount> plates{};
  std::array<Enemy, kEnemyCount> enemies{};
  float wallRight = 216;
  float dropLimit = 410;  // plates sunk past this are re-placed: no landing there
};

Model ModelOf(const GameState& game) {
  Model m;
  m.x = game.CarX;
  m.y = game.CarY;
  m.vx = game.CarVX;
  m.vy = game.CarVY;
  m.onPlate = game.OnPlate;
  m.ride = std::clamp<int>(game.RidePlate, 0, kPlateCount - 1);
  m.plates = game.Plates;
  m.enemies = game.Enemies;
  m.wallRight = static_cast<float>(game.ScreenW - kCarW);
  m.dropLimit = static_cast<float>(game.ScreenH + 10);
  return m;
}

// One frame of the model. Returns the plate landed on in this frame, or -1.
int Step(Model& m, int moveKey) {
  for (Plate& p : m.plates) p.Y += 2.5f;
  for (Enemy& e : m.enemies) e.Y += 2.5f;
  const bool on = m.onPlate;
  if (on) {
    m.y += 2.5f;
  } else {
    m.y += m.vy;
    m.vy += 0.5f;
  }
  if (moveKey == 1) m.vx -= 1.0f;
  if (moveKey == 2) m.vx += 1.0f;
  m.x += m.vx;
  if (m.x < 0) {
    m.x = 0;
    m.vx = static_cast<float>(-m.vx * 0.8);
  }
  if (m.x > m.wallRight) {
    m.x = m.wallRight;
    m.vx = static_cast<float>(-m.vx * 0.8);
  }
  if (on) {
    const float d = m.plates[static_cast<std::size_t>(m.ride)].X - m.x;
    if (d < -63 || d > 17) {
      m.onPlate = false;
      m.vy = 2.5f;
    }
    return -1;
  }
  if (m.vy > -5 && m.vy <= 0) {
    for (const Plate& p : m.plates) {
      const float dx = p.X - m.x, dy = p.Y - m.y;
      if (dx > -46 && dx < 34 && dy > -10 && dy < 16) m.vy -= 0.5f;
    }
  }
  int landed = -1;
  if (m.vy > 0 && m.y > -16) {
    for (int i = 0; i < kPlateCount; ++i) {
      const Plate& p = m.plates[static_cast<std::size_t>(i)];
      if (p.Y > m.dropLimit) continue;
      const float dx = p.X - m.x, dy = p.Y - m.y;
      const bool band = m.vy >= 3 ? dy > -10 : dy > 8;
      if (dx > -63 && dx < 17 && band && dy < 16) {
        m.onPlate = true;
        m.vy = 0;
        m.y = p.Y - 16;
        m.ride = i;
        landed = i;
      }
    }
  }
  return landed;
}

// Near an alive enemy's box (with a few pixels to spare for its walk).
bool NearEnemy(const Model& m) {
  for (const Enemy& e : m.enemies) {
    if (!e.Alive) continue;
    if (std::fabs(m.x - e.X) < 34 + 4 && std::fabs(m.y - e.Y) < 16 + 3) return true;
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
  Model m = ModelOf(game);
  if (jump) {
    m.onPlate = false;
    m.vy = -13;
  }
  Outcome outcome;
  const float fallOut = static_cast<float>(game.ScreenH + 50);
  for (int f = 1; f <= kLookAhead; ++f) {
    const int landed = Step(m, SteerToward(m.x, m.vx, targetX));
    if (NearEnemy(m)) outcome.touched = true;
    if (landed >= 0) {
      outcome.plate = landed;
      outcome.frames = f;
      outcome.y = m.y;
      return outcome;
    }
    if (m.y > fallOut) break;
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
