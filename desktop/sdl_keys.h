// SDL's keys as the game's virtual-key codes (game/key_codes.h), before the
// player's bindings have their say: key_bindings.cpp resolves through it.
#pragma once

#include <SDL_keycode.h>

namespace voltaro {

// The virtual-key code of an SDL key: Enter and keypad Enter, the arrows,
// letters and digits as their capitals, a few others with their own codes;
// the keys that switch a Japanese or Korean input method on come as
// kKeyProcess, the code of a key an input method has taken. kKeyNone for keys
// the game has no code for.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

}  // namespace voltaro
