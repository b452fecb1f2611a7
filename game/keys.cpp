// The key handlers. They run nested inside the window's event pumps (between
// frames, or during a plate or coin placement) and only set shared fields; the
// scenes and phases read them at their next step.
#include "game/keys.h"

namespace voltaro {
namespace {

inline constexpr float kJumpSpeed = -13;

int FireKeyIndex(int keyCode) {
  switch (keyCode) {
    case kKeyZ:
      return 0;
    case kKeyV:
      return 1;
    case kKeyD:
      return 2;
    default:
      return -1;
  }
}

}  // namespace

void HandleKeyDown(GameState& game, int keyCode) {
  // The mode is read once: Enter on the title screen starts play but is not
  // also taken as a key of the game it starts.
  const std::int16_t mode = game.GameMode;

  if (mode == kModeTitle && keyCode == kKeyEnter) game.GameMode = kModePlaying;

  if (mode == kModePlaying) {
    // A jump only from a plate: repeats and presses in the air do nothing.
    if (keyCode == kKeyUp && game.OnPlate) {
      game.OnPlate = false;
      game.CarVY = kJumpSpeed;
    }
    if (keyCode == kKeyLeft) game.MoveKey = 1;
    if (keyCode == kKeyRight) game.MoveKey = 2;
    if (const int k = FireKeyIndex(keyCode); k >= 0) {
      // Every key-down, auto-repeat included, makes the key's press pending.
      const auto i = static_cast<std::size_t>(k);
      game.FireHeld[i] = true;
      game.FireServed[i] = false;
      game.FireReleased[i] = false;
    }
  }

  if (mode == kModeGameOver && keyCode == kKeyEnter) game.GameMode = kModeTitle;
}

void HandleKeyUp(GameState& game, int keyCode) {
  // Releases on the title and game-over screens are not seen, so a fire key
  // held when a game ends stays unreleased into the next one.
  if (game.GameMode != kModePlaying) return;
  // Either arrow stops steering, whichever one is steering.
  if (keyCode == kKeyLeft || keyCode == kKeyRight) game.MoveKey = 0;
  if (const int k = FireKeyIndex(keyCode); k >= 0) {
    const auto i = static_cast<std::size_t>(k);
    game.FireHeld[i] = false;
    game.FireReleased[i] = true;
  }
}

}  // namespace voltaro
