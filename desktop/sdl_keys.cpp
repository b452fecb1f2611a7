// SDL's keys as the game's virtual-key codes; see sdl_keys.h.
#include "desktop/sdl_keys.h"

#include "game/key_codes.h"

namespace voltaro {

int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_LANG1:           // Hangul / English
    case SDL_SCANCODE_LANG2:           // Hanja
    case SDL_SCANCODE_LANG3:           // Katakana
    case SDL_SCANCODE_LANG4:           // Hiragana
    case SDL_SCANCODE_LANG5:           // Zenkaku / Hankaku
    case SDL_SCANCODE_INTERNATIONAL2:  // Katakana / Hiragana
      return kKeyProcess;
    default:
      break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyEnter;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_DOWN:
      return kKeyDown;
    case SDLK_BACKSPACE:
      return kKeyBackspace;
    case SDLK_TAB:
      return kKeyTab;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_SPACE:
      return kKeySpace;
    default:
      return kKeyNone;
  }
}

}  // namespace voltaro
