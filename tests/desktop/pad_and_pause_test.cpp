// The pads and the pause as the game's key handlers see them: SDL's virtual
// joystick attached as a game controller under SDL's "dummy" video driver,
// and key and window events pushed into the queue, checked at the key sink.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "desktop/pad_input.h"
#include "desktop/sdl_platform.h"
#include "game/keys.h"

namespace voltaro {
namespace {

TEST(PadStick, HalfWayTakesASideAndHysteresisHoldsIt) {
  struct Step {
    int x;
    StickSide expected;
  };
  // One stick's travel, each step from the state the one before left.
  const Step steps[] = {
      {0, StickSide::kNone},      {16383, StickSide::kNone},  {16384, StickSide::kRight},
      {12289, StickSide::kRight}, {12288, StickSide::kNone},  {14000, StickSide::kNone},
      {32767, StickSide::kRight}, {-32768, StickSide::kLeft}, {-12289, StickSide::kLeft},
      {-12288, StickSide::kNone}, {-16383, StickSide::kNone}, {-16384, StickSide::kLeft},
      {20000, StickSide::kRight}, {-13000, StickSide::kNone},
  };
  StickSide side = StickSide::kNone;
  for (const Step& step : steps) {
    side = NextStickSide(side, step.x);
    EXPECT_EQ(side, step.expected) << "at " << step.x;
  }
}

struct KeyLog final : KeySink {
  std::vector<std::pair<char, int>> keys;  // 'd' down, 'u' up, 'r' resumed (code 0)
  void OnKeyDown(int code) override { keys.emplace_back('d', code); }
  void OnKeyUp(int code) override { keys.emplace_back('u', code); }
  void OnResumed() override { keys.emplace_back('r', 0); }
  std::vector<std::pair<char, int>> Take() { return std::exchange(keys, {}); }
};

using Keys = std::vector<std::pair<char, int>>;

class ShellTest : public ::testing::Test {
 protected:
  static Sprites MakeSprites() {
    Sprites sprites;
    sprites.background = Surface(250, 400);
    sprites.font.mask = Surface(18 * 65, 14, kWhite);
    sprites.font.image = Surface(18 * 65, 14, kBlack);
    return sprites;
  }
  static bool UseDummyVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The dummy window never has the keyboard focus; pads must speak anyway.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    return true;
  }
  void Configure(const Settings& settings) { shell_.Configure(settings); }
  Keys Pump() {
    shell_.PumpEvents(log_);
    return log_.Take();
  }

  // A virtual game controller; returns its joystick to set buttons and axes on.
  SDL_Joystick* Attach() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 6;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    EXPECT_NE(joystick, nullptr) << SDL_GetError();
    return joystick;
  }
  void Detach(SDL_Joystick* joystick) {
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
  }
  Keys Press(SDL_Joystick* joystick, SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
    return Pump();
  }

  bool dummyVideo_ = UseDummyVideo();  // before the shell opens SDL
  Sprites sprites_ = MakeSprites();
  SdlShell shell_{sprites_};
  KeyLog log_;
};

TEST_F(ShellTest, EveryDefaultPadButtonIsOneKeyDownAndOneKeyUp) {
  SDL_Joystick* pad = Attach();
  Pump();  // the pad is opened as it arrives
  const std::pair<SDL_GameControllerButton, int> mapping[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kKeyLeft},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kKeyRight},
      {SDL_CONTROLLER_BUTTON_A, kKeyUp},
      {SDL_CONTROLLER_BUTTON_X, kKeyZ},
      {SDL_CONTROLLER_BUTTON_B, kKeyV},
      {SDL_CONTROLLER_BUTTON_Y, kKeyD},
      {SDL_CONTROLLER_BUTTON_START, kKeyEnter},
  };
  for (const auto& [button, code] : mapping) {
    EXPECT_EQ(Press(pad, button, true), (Keys{{'d', code}}));
    EXPECT_EQ(Pump(), Keys{});  // held: no repeats
    EXPECT_EQ(Press(pad, button, false), (Keys{{'u', code}}));
  }
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_BACK, true), Keys{});  // not bound
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_BACK, false), Keys{});
  // The left stick steers, half-way out.
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -20000);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyLeft}}));
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 25000);
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyLeft}, {'d', kKeyRight}}));
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyRight}}));
  Detach(pad);
}

TEST_F(ShellTest, ARemappedButtonServesItsNewActionOnly) {
  Settings settings;
  settings.pad.buttons[static_cast<std::size_t>(Action::kJump)] = {
      SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
  Configure(settings);
  SDL_Joystick* pad = Attach();
  Pump();
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true), (Keys{{'d', kKeyUp}}));
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false), (Keys{{'u', kKeyUp}}));
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_A, true), Keys{});
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_A, false), Keys{});
  Detach(pad);
}

TEST_F(ShellTest, PadsPluggedInDuringTheGameWorkAndUnpluggingReleasesWhatTheyHold) {
  Pump();
  SDL_Joystick* first = Attach();
  SDL_Joystick* second = Attach();
  Pump();
  EXPECT_EQ(Press(first, SDL_CONTROLLER_BUTTON_X, true), (Keys{{'d', kKeyZ}}));
  EXPECT_EQ(Press(second, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true), (Keys{{'d', kKeyRight}}));
  SDL_JoystickSetVirtualAxis(first, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyLeft}}));
  Detach(first);
  Keys released = Pump();
  std::sort(released.begin(), released.end());
  EXPECT_EQ(released, (Keys{{'u', kKeyLeft}, {'u', kKeyZ}}));
  EXPECT_EQ(Press(second, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false), (Keys{{'u', kKeyRight}}));
  Detach(second);
  EXPECT_EQ(Pump(), Keys{});
}

TEST_F(ShellTest, MappingFilesAreLoadedWhereTheyAreAndABrokenOneWarns) {
  char made[] = "/tmp/voltaro5-pads-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  const std::string dir = std::string(made) + "/";
  const char* guid = "03000000aa0000000b00000000000000";
  std::ofstream(dir + "gamecontrollerdb.txt")
      << "# pads of our own\n"
      << guid << ",Our Test Pad,a:b0,b:b1,x:b2,y:b3,start:b7,platform:Linux,\n";
  const std::string broken = dir + "broken/";
  ASSERT_EQ(mkdir(broken.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((broken + "gamecontrollerdb.txt").c_str(), 0700), 0);  // not a file
  std::ostringstream warnings;
  LoadControllerMappings({dir + "none/", dir, broken}, warnings);
  char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(guid));
  ASSERT_NE(mapping, nullptr);
  EXPECT_NE(std::string(mapping).find("Our Test Pad"), std::string::npos);
  SDL_free(mapping);
  EXPECT_EQ(warnings.str().rfind("voltaro5: warning: " + broken + "gamecontrollerdb.txt: ", 0), 0u)
      << warnings.str();
  std::remove((dir + "gamecontrollerdb.txt").c_str());
  rmdir((broken + "gamecontrollerdb.txt").c_str());
  rmdir(broken.c_str());
  rmdir(made);
}

void PushWindowEvent(SDL_WindowEventID what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = static_cast<Uint8>(what);
  SDL_PushEvent(&event);
}

void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod = 0, int repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.repeat = static_cast<Uint8>(repeat);
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  event.key.keysym.mod = mod;
  SDL_PushEvent(&event);
}

TEST_F(ShellTest, FocusLossReleasesThePadsHeldButtons) {
  SDL_Joystick* pad = Attach();
  Pump();
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_Y, true), (Keys{{'d', kKeyD}}));
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);  // not in play: no pause
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyD}}));
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_Y, false), Keys{});  // already let go
  Detach(pad);
}

TEST_F(ShellTest, PauseDropsPressesAndHandsOverReleasesAfterResuming) {
  shell_.AllowPause(true);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);
  PushKey(SDL_KEYDOWN, SDLK_z);
  PushKey(SDL_KEYDOWN, SDLK_p);        // pause
  PushKey(SDL_KEYDOWN, SDLK_p, 0, 1);  // its repeat: still paused
  PushKey(SDL_KEYUP, SDLK_p);
  PushKey(SDL_KEYDOWN, SDLK_LEFT);  // pressed during the pause: never played
  PushKey(SDL_KEYUP, SDLK_LEFT);
  PushKey(SDL_KEYUP, SDLK_RIGHT);    // released during the pause: after it
  PushKey(SDL_KEYDOWN, SDLK_PAUSE);  // resume
  PushKey(SDL_KEYUP, SDLK_PAUSE);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyRight}, {'d', kKeyZ}, {'r', 0}}));
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyRight}}));
  PushKey(SDL_KEYUP, SDLK_z);  // held through the pause: released as usual
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyZ}}));
}

TEST_F(ShellTest, FocusLossAndMinimisingPauseDuringPlayOnly) {
  for (const SDL_WindowEventID what : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED}) {
    shell_.AllowPause(false);
    PushWindowEvent(what);
    EXPECT_EQ(Pump(), Keys{});
    shell_.AllowPause(true);
    PushWindowEvent(what);
    PushKey(SDL_KEYDOWN, SDLK_p);
    EXPECT_EQ(Pump(), (Keys{{'r', 0}}));
    PushKey(SDL_KEYUP, SDLK_p);
    EXPECT_EQ(Pump(), Keys{});
  }
  Settings settings;
  settings.window.pauseOnFocusLoss = false;
  Configure(settings);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PushKey(SDL_KEYDOWN, SDLK_RETURN);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyEnter}}));
}

TEST_F(ShellTest, WindowKeysNeverReachTheGame) {
  PushKey(SDL_KEYDOWN, SDLK_p);  // on the title: no pause, and not a game key
  PushKey(SDL_KEYUP, SDLK_p);
  PushKey(SDL_KEYDOWN, SDLK_F11);
  PushKey(SDL_KEYUP, SDLK_F11);
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
  PushKey(SDL_KEYUP, SDLK_RETURN);  // Alt let go first: still the window's
  PushKey(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT);
  PushKey(SDL_KEYUP, SDLK_KP_ENTER, KMOD_RALT);
  PushKey(SDL_KEYDOWN, SDLK_RETURN);  // plain Enter, released with Alt down
  PushKey(SDL_KEYUP, SDLK_RETURN, KMOD_LALT);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyEnter}, {'u', kKeyEnter}}));
}

TEST_F(ShellTest, ReboundKeysReachTheGameAsTheirActions) {
  Settings settings;
  settings.keys.keys[static_cast<std::size_t>(Action::kStart)] = {SDLK_SPACE};
  Configure(settings);
  PushKey(SDL_KEYDOWN, SDLK_SPACE);
  PushKey(SDL_KEYDOWN, SDLK_RETURN);
  PushKey(SDL_KEYUP, SDLK_SPACE);
  PushKey(SDL_KEYUP, SDLK_RETURN);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyEnter}, {'u', kKeyEnter}}));
}

}  // namespace
}  // namespace voltaro
