// The SDL side without a display (SDL's "dummy" video driver): key codes,
// the program's directory, and what the pump does with the events SDL hands
// it: keys and repeats to the handlers, an input method's composition as 229,
// the close as QuitRequested.
#include "app/sdl_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "app/clock.h"
#include "game/keys.h"

namespace voltaro {
namespace {

TEST(VirtualKeys, SdlKeysMapToTheCodesTheHandlersKnow) {
  struct Case {
    SDL_Keycode key;
    SDL_Scancode scancode;
    int code;
  };
  const Case cases[] = {
      {SDLK_RETURN, SDL_SCANCODE_RETURN, kKeyEnter},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, kKeyEnter},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, kKeyLeft},
      {SDLK_RIGHT, SDL_SCANCODE_RIGHT, kKeyRight},
      {SDLK_z, SDL_SCANCODE_Z, kKeyZ},
      {SDLK_a, SDL_SCANCODE_A, 65},
      {SDLK_0, SDL_SCANCODE_0, 48},
      {SDLK_9, SDL_SCANCODE_9, 57},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},
      {SDLK_F1, SDL_SCANCODE_F1, 0},
      {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0},
      // The keys that switch an input method on.
      {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_INTERNATIONAL2), SDL_SCANCODE_INTERNATIONAL2,
       kKeyProcess},
      {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_LANG1), SDL_SCANCODE_LANG1, kKeyProcess},
      {SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_LANG5), SDL_SCANCODE_LANG5, kKeyProcess},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scancode), c.code) << SDL_GetKeyName(c.key);
  }
}

TEST(AppDir, AlwaysEndsInOneSlash) {
  EXPECT_EQ(AppDirFromBasePath("/opt/voltaro/"), "/opt/voltaro/");
  EXPECT_EQ(AppDirFromBasePath("/opt/voltaro"), "/opt/voltaro/");
  EXPECT_EQ(AppDirFromBasePath("/"), "/");
  EXPECT_EQ(AppDirFromBasePath(""), "./");
  EXPECT_EQ(AppDirFromBasePath(nullptr), "./");
}

struct KeyLog final : KeySink {
  std::vector<std::pair<char, int>> keys;
  void OnKeyDown(int code) override { keys.emplace_back('d', code); }
  void OnKeyUp(int code) override { keys.emplace_back('u', code); }
};

class SdlShellTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }

  void SetUp() override { shell_ = std::make_unique<SdlShell>(sprites_); }

  static void PushKey(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  static Sprites MakeSprites() {
    Sprites sprites;
    sprites.picBack = Surface(250, 400);
    return sprites;
  }

  Sprites sprites_ = MakeSprites();
  std::unique_ptr<SdlShell> shell_;
};

TEST_F(SdlShellTest, PumpHandsKeysAndRepeatsToTheHandlersInOrder) {
  PushKey(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN);
  PushKey(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, true);
  PushKey(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN);
  PushKey(SDL_KEYDOWN, SDLK_F1, SDL_SCANCODE_F1);  // no code: not delivered
  PushKey(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z);
  KeyLog log;
  shell_->PumpEvents(log);
  const std::vector<std::pair<char, int>> expected = {
      {'d', 13}, {'d', 13}, {'u', 13}, {'d', kKeyZ}};
  EXPECT_EQ(log.keys, expected);
}

TEST_F(SdlShellTest, CompositionStartReachesTheHandlerAs229) {
  SDL_Event event{};
  event.type = SDL_TEXTEDITING;
  event.edit.type = SDL_TEXTEDITING;
  SDL_strlcpy(event.edit.text, "n", sizeof event.edit.text);
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  event.edit.text[0] = '\0';  // the composition ending: nothing to report
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  KeyLog log;
  shell_->PumpEvents(log);
  const std::vector<std::pair<char, int>> expected = {{'d', kKeyProcess}};
  EXPECT_EQ(log.keys, expected);
}

TEST_F(SdlShellTest, CloseEndsThePumpAfterTheKeysBeforeIt) {
  PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
  KeyLog log;
  EXPECT_THROW(shell_->PumpEvents(log), QuitRequested);
  const std::vector<std::pair<char, int>> expected = {{'d', kKeyLeft}};
  EXPECT_EQ(log.keys, expected);
}

TEST_F(SdlShellTest, TimedWaitEndsAtOnceForAPendingEventOtherwiseAtItsTick) {
  PushKey(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z);
  const std::int32_t farAway = ClockAdd(shell_->Now(), 600'000);
  shell_->WaitForEventsUntil(farAway);  // returns: an event is pending
  EXPECT_FALSE(ClockPassed(shell_->Now(), farAway));
  KeyLog log;
  shell_->PumpEvents(log);
  EXPECT_EQ(log.keys.size(), 1u);

  const std::int32_t tick = ClockAdd(shell_->Now(), 5);
  shell_->WaitForEventsUntil(tick);  // nothing pending: sleeps until the tick
  EXPECT_GE(ClockDiff(shell_->Now(), tick), 0);
}

}  // namespace
}  // namespace voltaro
