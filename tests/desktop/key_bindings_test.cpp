// Which code a key gives the game, through the bindings or by itself. The
// pad's buttons are pad_input_test's.
#include "desktop/key_bindings.h"

#include <gtest/gtest.h>

#include "game/keys.h"

namespace voltaro {
namespace {

KeyBindings Rebound() {
  KeyBindings keys = DefaultKeyBindings();
  keys.keys[static_cast<std::size_t>(Action::kLeft)] = {SDLK_a};
  keys.keys[static_cast<std::size_t>(Action::kStart)] = {SDLK_SPACE};
  keys.keys[static_cast<std::size_t>(Action::kFireLeft)] = {SDLK_z, SDLK_j};
  return keys;
}

TEST(KeyBindings, KeysResolveThroughTheBindings) {
  struct Case {
    bool rebound;
    SDL_Keycode key;
    Uint16 mod;
    int expected;
  };
  constexpr auto kp = [](SDL_Scancode s) { return SDL_SCANCODE_TO_KEYCODE(s); };
  // clang-format off
  const Case cases[] = {
      // The defaults are the game's own keys; any other key gives its own code.
      {false, SDLK_LEFT, 0, kKeyLeft}, {false, SDLK_RIGHT, 0, kKeyRight},
      {false, SDLK_UP, 0, kKeyUp}, {false, SDLK_z, 0, kKeyZ}, {false, SDLK_v, 0, kKeyV},
      {false, SDLK_d, 0, kKeyD},
      {false, SDLK_RETURN, 0, kKeyEnter}, {false, SDLK_KP_ENTER, 0, kKeyEnter},
      {false, SDLK_a, 0, 65}, {false, SDLK_9, 0, 57}, {false, SDLK_SPACE, 0, 32},
      {false, SDLK_DOWN, 0, kKeyDown}, {false, SDLK_ESCAPE, 0, kKeyEscape},
      {false, SDLK_F1, 0, 0}, {false, SDLK_LSHIFT, 0, 0},  // no code: never delivered
      // The keys that switch an input method on.
      {false, kp(SDL_SCANCODE_INTERNATIONAL2), 0, kKeyProcess},
      {false, kp(SDL_SCANCODE_LANG1), 0, kKeyProcess},
      {false, kp(SDL_SCANCODE_LANG5), 0, kKeyProcess},
      // The keypad's arrows with NumLock off steer and jump; with it on, nothing.
      {false, kp(SDL_SCANCODE_KP_4), 0, kKeyLeft}, {false, kp(SDL_SCANCODE_KP_6), 0, kKeyRight},
      {false, kp(SDL_SCANCODE_KP_8), 0, kKeyUp}, {false, kp(SDL_SCANCODE_KP_2), 0, 40},
      {false, kp(SDL_SCANCODE_KP_4), KMOD_NUM, 0}, {false, kp(SDL_SCANCODE_KP_8), KMOD_NUM, 0},
      // Rebound: the new keys give the action's code, the old ones (the keypad's
      // Left is the Left arrow) nothing; untouched actions keep their keys.
      {true, SDLK_a, 0, kKeyLeft}, {true, SDLK_LEFT, 0, 0}, {true, kp(SDL_SCANCODE_KP_4), 0, 0},
      {true, SDLK_SPACE, 0, kKeyEnter}, {true, SDLK_RETURN, 0, 0}, {true, SDLK_KP_ENTER, 0, 0},
      {true, SDLK_j, 0, kKeyZ}, {true, SDLK_z, 0, kKeyZ}, {true, SDLK_RIGHT, 0, kKeyRight},
  };
  // clang-format on
  for (const Case& c : cases) {
    const KeyBindings keys = c.rebound ? Rebound() : DefaultKeyBindings();
    // Keys made from a scancode carry it; without SDL started the table is empty.
    const SDL_Scancode scancode = (c.key & SDLK_SCANCODE_MASK) != 0
                                      ? static_cast<SDL_Scancode>(c.key & ~SDLK_SCANCODE_MASK)
                                      : SDL_GetScancodeFromKey(c.key);
    EXPECT_EQ(GameKeyCode(keys, c.key, scancode, c.mod), c.expected)
        << SDL_GetKeyName(c.key) << (c.rebound ? " rebound" : "") << " mod " << c.mod;
  }
}

}  // namespace
}  // namespace voltaro
