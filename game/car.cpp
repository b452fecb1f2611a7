// The car: gravity, riding a plate, steering without friction, bouncing off
// the side walls, walking off a plate's end, passing up through plates and
// landing on them from above.
#include "game/phases.h"
#include "game/placement_math.h"

namespace voltaro {
namespace {

inline constexpr float kGravity = 0.5f;
inline constexpr float kSteer = 1;
inline constexpr double kWallBounce = 0.8;    // the wall gives back four fifths
inline constexpr float kWalkOffSpeed = 2.5f;  // leaving a plate at its own speed
inline constexpr float kFastFall = 3;         // at least as fast as the plates

// The car stays on while its centre (CarX + 17) lies within the plate, ends
// included; the height is not looked at.
void WalkOff(GameState& game) {
  const Plate& plate = game.Plates[static_cast<std::size_t>(game.RidePlate)];
  const float d = plate.X - game.CarX;
  if (d < -63 || d > 17) {
    game.OnPlate = false;
    game.CarVY = kWalkOffSpeed;
  }
}

// A car rising slowly through a plate gets back one frame of gravity for each
// plate it overlaps, so it keeps its speed until it is clear.
void PassUpThrough(GameState& game) {
  if (!(-5 < game.CarVY && game.CarVY <= 0)) return;
  for (const Plate& plate : game.Plates) {
    const float dx = plate.X - game.CarX;
    const float dy = plate.Y - game.CarY;
    if (-46 < dx && dx < 34 && -10 < dy && dy < 16) game.CarVY = game.CarVY - kGravity;
  }
}

// Plates are one-way: only a falling car that is not wholly above the top
// edge lands. A fast car lands on any plate overlapping its height; a slow one
// only when the plate's top is in its lower half. The scan goes on after a
// landing with the new values, so a later plate that also fits would win.
void Land(GameState& game) {
  if (!(game.CarVY > 0 && game.CarY > -16)) return;
  for (int i = 0; i < kPlateCount; ++i) {
    const Plate& plate = game.Plates[static_cast<std::size_t>(i)];
    const float dx = plate.X - game.CarX;
    const float dy = plate.Y - game.CarY;
    const bool centreOn = -63 < dx && dx < 17;
    const bool topReached = game.CarVY >= kFastFall ? dy > -10 : dy > 8;
    if (centreOn && topReached && dy < 16) {
      game.OnPlate = true;
      game.CarVY = 0;
      game.CarY = plate.Y - kCarH;
      game.RidePlate = static_cast<std::int16_t>(i);
    }
  }
}

float Bounced(float vx) {
  return static_cast<float>(-static_cast<double>(vx) * kWallBounce);
}

}  // namespace

void CarPhase(GameState& game) {
  // The branch is chosen by where the car stood when the phase began.
  const bool onPlate = game.OnPlate;

  if (onPlate) {
    game.CarY = game.CarY + kScrollSpeed;  // sinking with its plate
  } else {
    // The move uses the speed from before this frame's gravity.
    game.CarY = game.CarY + game.CarVY;
    game.CarVY = game.CarVY + kGravity;
  }

  if (game.MoveKey == 1) game.CarVX = game.CarVX - kSteer;
  if (game.MoveKey == 2) game.CarVX = game.CarVX + kSteer;
  game.CarX = game.CarX + game.CarVX;

  if (game.CarX < 0) {
    game.CarX = 0;
    game.CarVX = Bounced(game.CarVX);
  }
  const float rightWall = Bound(game.ScreenW, -kCarW);
  if (game.CarX > rightWall) {
    game.CarX = rightWall;
    game.CarVX = Bounced(game.CarVX);
  }

  if (onPlate) {
    WalkOff(game);
  } else {
    PassUpThrough(game);
    Land(game);
  }
}

}  // namespace voltaro
