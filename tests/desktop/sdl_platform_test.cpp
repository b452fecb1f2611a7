// The SDL side without a display (SDL's "dummy" video driver): key codes and
// what the pump does with SDL's events.
#include "desktop/sdl_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

#include "game/keys.h"

namespace voltaro {
namespace {

TEST(VirtualKeys, SdlKeysMapToTheCodesTheHandlersKnow) {
  // clang-format off
  const std::tuple<SDL_Keycode, SDL_Scancode, int> cases[] = {
      {SDLK_RETURN, SDL_SCANCODE_RETURN, kKeyEnter}, {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, kKeyEnter},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, kKeyLeft}, {SDLK_RIGHT, SDL_SCANCODE_RIGHT, kKeyRight},
      {SDLK_z, SDL_SCANCODE_Z, kKeyZ}, {SDLK_a, SDL_SCANCODE_A, 65}, {SDLK_9, SDL_SCANCODE_9, 57},
      {SDLK_F1, SDL_SCANCODE_F1, 0}, {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0},
      // The keys that switch an input method on give 229.
      {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_INTERNATIONAL2), SDL_SCANCODE_INTERNATIONAL2, 229},
      {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_LANG1), SDL_SCANCODE_LANG1, 229},
      {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_LANG5), SDL_SCANCODE_LANG5, 229}};
  // clang-format on
  for (const auto& [keycode, scancode, code] : cases) {
    EXPECT_EQ(VirtualKeyFromSdl(keycode, scancode), code) << SDL_GetScancodeName(scancode);
  }
}

struct KeyLog final : KeySink {
  std::vector<std::pair<char, int>> keys;
  void OnKeyDown(int code) override { keys.emplace_back('d', code); }
  void OnKeyUp(int code) override { keys.emplace_back('u', code); }
};

void Push(Uint32 type, SDL_Keycode key = 0, int repeat = 0, const char* composition = "") {
  SDL_Event event{};
  event.type = type;
  event.key.repeat = static_cast<Uint8>(repeat);
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  if (type == SDL_TEXTEDITING) SDL_strlcpy(event.edit.text, composition, sizeof event.edit.text);
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

TEST(SdlShell, PumpHandsKeysRepeatsAndCompositionsToTheHandlersUntilTheClose) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  Sprites sprites;
  sprites.background = Surface(250, 400);
  SdlShell shell(sprites);
  Push(SDL_KEYDOWN, SDLK_RETURN);
  Push(SDL_KEYDOWN, SDLK_RETURN, 1);
  Push(SDL_KEYUP, SDLK_RETURN);
  Push(SDL_KEYDOWN, SDLK_F1);        // no code: not delivered
  Push(SDL_TEXTEDITING, 0, 0, "n");  // a composition starting: 229
  Push(SDL_TEXTEDITING);             // and ending: nothing to report
  Push(SDL_KEYDOWN, SDLK_z);
  Push(SDL_QUIT);
  Push(SDL_KEYDOWN, SDLK_RIGHT);
  KeyLog log;
  EXPECT_THROW(shell.PumpEvents(log), QuitRequested);
  const std::vector<std::pair<char, int>> expected = {
      {'d', 13}, {'d', 13}, {'u', 13}, {'d', 229}, {'d', kKeyZ}};
  EXPECT_EQ(log.keys, expected);
}

}  // namespace
}  // namespace voltaro
