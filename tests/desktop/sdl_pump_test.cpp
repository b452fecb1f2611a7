// SDL's events as the game's key handlers hear them through the pump: SDL's
// virtual joystick attached as a game controller under SDL's "dummy" video
// driver, and key and window events pushed into the queue. What the key gate
// then does with them is its own test's (tests/scenes/key_gate_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "desktop/pad_input.h"
#include "desktop/sdl_shell.h"
#include "game/keys.h"
#include "tests/support/temp_folder.h"

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
  ShellTest() { StartPads({}, std::cerr); }  // as the game does after its first picture
  static Sprites MakeSprites() {
    Sprites sprites;
    sprites.background = {250, 400};
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
  Keys Pump() {
    SDL_Delay(2);  // the pump reads the pads at most once a millisecond
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

void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod = 0, int repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.repeat = static_cast<Uint8>(repeat);
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  event.key.keysym.mod = mod;
  SDL_PushEvent(&event);
}

// An event of `type`: a window event `what`, or an input method's composition.
void PushEvent(Uint32 type, int what = 0, const char* composition = "") {
  SDL_Event event{};
  event.type = type;
  if (type == SDL_WINDOWEVENT) event.window.event = static_cast<Uint8>(what);
  if (type == SDL_TEXTEDITING) SDL_strlcpy(event.edit.text, composition, sizeof event.edit.text);
  SDL_PushEvent(&event);
}

TEST_F(ShellTest, PadButtonsThroughTheBindingsAndTheStickAreOneKeyDownAndOneKeyUp) {
  Settings settings;
  settings.pad.buttons[static_cast<std::size_t>(Action::kJump)] = {
      SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
  shell_.Configure(settings);
  SDL_Joystick* pad = Attach();
  Pump();  // the pad is opened as it arrives
  const std::pair<SDL_GameControllerButton, int> buttons[] = {
      {SDL_CONTROLLER_BUTTON_X, kKeyZ},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, kKeyUp},  // now Jump's
      {SDL_CONTROLLER_BUTTON_A, kKeyNone},            // Jump's by default
      {SDL_CONTROLLER_BUTTON_BACK, kKeyNone},         // never bound
  };
  for (const auto& [button, code] : buttons) {
    EXPECT_EQ(Press(pad, button, true), (code ? Keys{{'d', code}} : Keys{})) << button;
    EXPECT_EQ(Pump(), Keys{});  // held: no repeats
    EXPECT_EQ(Press(pad, button, false), (code ? Keys{{'u', code}} : Keys{})) << button;
  }
  // The left stick steers, half-way out.
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -20000);
  EXPECT_EQ(Pump(), (Keys{{'d', kKeyLeft}}));
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 25000);
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyLeft}, {'d', kKeyRight}}));
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyRight}}));
  Detach(pad);
}

TEST_F(ShellTest, PadsPluggedInDuringTheGameWorkAndUnpluggingOrFocusLossReleasesWhatTheyHold) {
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
  PushEvent(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST);  // not in play: no pause
  EXPECT_EQ(Pump(), (Keys{{'u', kKeyRight}}));
  EXPECT_EQ(Press(second, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false), Keys{});  // already let go
  Detach(second);
  EXPECT_EQ(Pump(), Keys{});
}

TEST_F(ShellTest, APadPluggedInBeforeThePadsStartArrivesAtTheFirstPumpAfter) {
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);  // back to before the first picture
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  SDL_Joystick* pad = Attach();
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_X, true), Keys{});  // not started: not heard
  StartPads({}, std::cerr);
  Pump();
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_X, false), Keys{});  // held before: no key-up
  EXPECT_EQ(Press(pad, SDL_CONTROLLER_BUTTON_X, true), (Keys{{'d', kKeyZ}}));
  Detach(pad);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST_F(ShellTest, MappingFilesAreLoadedWhereTheyAreAndABrokenOneWarns) {
  const testing::TempFolder folder;
  const std::string dir = folder.path().string() + "/", broken = dir + "broken/";
  const char* guid = "03000000aa0000000b00000000000000";
  testing::WriteWholeFile(folder / "gamecontrollerdb.txt",
                          "# pads of our own\n" + std::string(guid) +
                              ",Our Test Pad,a:b0,b:b1,x:b2,y:b3,start:b7,platform:Linux,\n");
  std::filesystem::create_directories(broken + "gamecontrollerdb.txt");  // not a file
  std::ostringstream warnings;
  StartPads({dir + "none/", dir, broken}, warnings);
  char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(guid));
  ASSERT_NE(mapping, nullptr);
  EXPECT_NE(std::string(mapping).find("Our Test Pad"), std::string::npos);
  SDL_free(mapping);
  EXPECT_EQ(warnings.str().rfind("voltaro5: warning: " + broken + "gamecontrollerdb.txt: ", 0), 0u)
      << warnings.str();
}

TEST_F(ShellTest, KeysRepeatsAndCompositionsReachTheGameButNotTheWindowsKeys) {
  PushKey(SDL_KEYDOWN, SDLK_RETURN);
  PushKey(SDL_KEYDOWN, SDLK_RETURN, 0, 1);
  PushKey(SDL_KEYUP, SDLK_RETURN);
  PushKey(SDL_KEYDOWN, SDLK_F2);       // no code: not delivered
  PushEvent(SDL_TEXTEDITING, 0, "n");  // a composition starting
  PushEvent(SDL_TEXTEDITING);          // and ending: nothing to report
  PushKey(SDL_KEYDOWN, SDLK_p);        // on the title: no pause, and not a game key
  PushKey(SDL_KEYUP, SDLK_p);
  PushKey(SDL_KEYDOWN, SDLK_F11);
  PushKey(SDL_KEYDOWN, SDLK_F11, 0, 1);  // its repeat does nothing
  PushKey(SDL_KEYUP, SDLK_F11);
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
  PushKey(SDL_KEYUP, SDLK_RETURN);  // Alt let go first: still the window's
  PushKey(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_RALT);
  PushKey(SDL_KEYUP, SDLK_KP_ENTER, KMOD_RALT);
  PushKey(SDL_KEYDOWN, SDLK_z);  // plain Z, released with Alt down
  PushKey(SDL_KEYUP, SDLK_z, KMOD_LALT);
  PushEvent(SDL_QUIT);
  PushKey(SDL_KEYDOWN, SDLK_RIGHT);  // after the close: never handled
  EXPECT_THROW(shell_.PumpEvents(log_), QuitRequested);
  EXPECT_EQ(log_.Take(), (Keys{{'d', kKeyEnter},
                               {'d', kKeyEnter},
                               {'u', kKeyEnter},
                               {'d', kKeyProcess},
                               {'d', kKeyZ},
                               {'u', kKeyZ}}));
  EXPECT_TRUE(shell_.WindowState().fullscreen);  // F11, Alt+Enter, Alt+keypad Enter
}

TEST_F(ShellTest, LosingTheFocusOrTheWindowPausesPlayUntilP) {
  shell_.AllowPause(true);
  for (const SDL_WindowEventID what :
       {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_HIDDEN}) {
    PushEvent(SDL_WINDOWEVENT, what);
    PushKey(SDL_KEYDOWN, SDLK_p);
    PushKey(SDL_KEYUP, SDLK_p);
    EXPECT_EQ(Pump(), (Keys{{'r', 0}})) << what;
  }
}

}  // namespace
}  // namespace voltaro
