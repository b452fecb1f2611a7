// The window's key handlers: they turn key-down and key-up events into changes
// of the shared state (mode, steering, jump, fire flags) and return at once.
#pragma once

#include "game/game_state.h"
#include "game/key_codes.h"

namespace voltaro {

// The input-method key (kKeyProcess) changes nothing here: whoever delivers
// the key shows the message asking for the input method to be switched off,
// right after this handler, in every mode.
void HandleKeyDown(GameState& game, int keyCode);
void HandleKeyUp(GameState& game, int keyCode);

}  // namespace voltaro
