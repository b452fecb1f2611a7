// The window's key handlers: they turn key-down and key-up events into changes
// of the shared state (mode, steering, jump, fire flags) and return at once.
#pragma once

#include "game/game_state.h"

namespace voltaro {

// Virtual-key codes the game listens to.
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyD = 68;
inline constexpr int kKeyV = 86;
inline constexpr int kKeyZ = 90;
inline constexpr int kKeyProcess = 229;  // a key taken by an active input method

// The input-method key (kKeyProcess) changes nothing here: whoever delivers
// the key shows the message asking for the input method to be switched off,
// right after this handler, in every mode.
void HandleKeyDown(GameState& game, int keyCode);
void HandleKeyUp(GameState& game, int keyCode);

}  // namespace voltaro
