// The settings as read from the file's bytes, every bad entry with its
// warning and without effect, and the window's state written back.
#include "desktop/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "desktop/sdl_shell.h"
#include "game/game_state.h"
#include "gfx/sprites.h"
#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

using ::testing::HasSubstr;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

constexpr const char* kPath = "/games/Voltaro5.ini";

bool operator==(const Settings& a, const Settings& b) {
  return a.window == b.window && a.sound == b.sound && a.keys.keys == b.keys.keys &&
         a.pad.buttons == b.pad.buttons;
}

// The text without its line `line` (counted from 1).
std::string WithoutLine(const std::string& text, int line) {
  std::size_t start = 0;
  for (int i = 1; i < line; ++i) start = text.find('\n', start) + 1;
  const std::size_t end = text.find('\n', start);
  return text.substr(0, start) + (end == std::string::npos ? "" : text.substr(end + 1));
}

TEST(Settings, GoodEntriesReplaceTheDefaults) {
  std::ostringstream warnings;
  const Settings s = ParseSettings(
      "[VOLTARO ZIP 5]\nHighScore=5\n[window]\nscale = 3\nFullscreen=1\nPauseOnFocusLoss=0\n"
      "Scaling=Fill\n"
      "[Keys]\nFireLeft=Z, J\nStart=Space\nleft=right\nRight=Left\n"
      "[Pad]\nJump=leftshoulder, A\nStart=back\n[Sound]\nVolume=0\nMute=1\n",
      kPath, warnings);
  EXPECT_EQ(warnings.str(), "");
  EXPECT_EQ(s.window, (WindowSettings{3, true, false, true}));
  EXPECT_EQ(s.sound, (SoundSettings{0, true}));
  EXPECT_EQ(s.keys[Action::kFireLeft], (std::vector<SDL_Keycode>{SDLK_z, SDLK_j}));
  EXPECT_EQ(s.keys[Action::kStart], std::vector<SDL_Keycode>{SDLK_SPACE});
  // Left=Right and Right=Left swap the arrows: neither clashes with the other's default.
  EXPECT_EQ(s.keys[Action::kLeft], std::vector<SDL_Keycode>{SDLK_RIGHT});
  EXPECT_EQ(s.keys[Action::kRight], std::vector<SDL_Keycode>{SDLK_LEFT});
  EXPECT_EQ(s.pad[Action::kJump],
            (std::vector<SDL_GameControllerButton>{SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                   SDL_CONTROLLER_BUTTON_A}));
  EXPECT_EQ(s.pad[Action::kStart], std::vector{SDL_CONTROLLER_BUTTON_BACK});
  for (const int scale : {1, 16}) {  // the ends of the range
    const std::string text = "[Window]\nScale=" + std::to_string(scale);
    EXPECT_EQ(ParseSettings(text, kPath, warnings).window.scale, scale);
  }
  EXPECT_EQ(warnings.str(), "");
}

TEST(Settings, EachBadEntryWarnsWithFileAndLineAndKeepsItsDefault) {
  struct Case {
    const char* text;
    const char* warning;  // the part after "voltaro5: warning: "
  };
  const Case cases[] = {
      {"[Window]\nScale=0",
       ":2: [Window] Scale: \"0\" is not a whole number from 1 to 16; the window opens at 1"},
      {"[Window]\nScale=17", ":2: [Window] Scale: \"17\" is not a whole number from 1 to 16"},
      {"[Window]\nScale=2x", ":2: [Window] Scale: \"2x\" is not"},
      {"[Window]\nScale=", ":2: [Window] Scale: \"\" is not"},
      {"[Window]\nFullscreen=yes",
       ":2: [Window] Fullscreen: \"yes\" is neither 0 nor 1; it stays 0"},
      {"[Window]\nPauseOnFocusLoss=2",
       ":2: [Window] PauseOnFocusLoss: \"2\" is neither 0 nor 1; it stays 1"},
      {"[Window]\nScaling=smooth",
       ":2: [Window] Scaling: \"smooth\" is neither integer nor fill; it stays integer"},
      {"[Window]\nZoom=2\nzoom=3", ":2: [Window] Zoom: no such setting; ignored"},
      {"[Sound]\nVolume=101",
       ":2: [Sound] Volume: \"101\" is not a whole number from 0 to 100; it stays 60"},
      {"[Sound]\nMute=on", ":2: [Sound] Mute: \"on\" is neither 0 nor 1; it stays 0"},
      {"[Window]\nScale=2\nScale=3", ":3: [Window] Scale: set again; the line 2 counts"},
      {"\n[Keys]\nLeft=Nope",
       ":3: [Keys] Left: unknown key name \"Nope\"; Left keeps its default (Left)"},
      {"[Keys]\nRight=", ":2: [Keys] Right: the list is empty; Right keeps its default (Right)"},
      {"[Keys]\nStart=Space,,J",
       ":2: [Keys] Start: an empty name in the list; Start keeps its default (Return, Keypad "
       "Enter)"},
      {"[Keys]\nFireUp=F11",
       ":2: [Keys] FireUp: \"F11\" is the fullscreen key; FireUp keeps its default (D)"},
      {"[Keys]\nFireUp=P", ":2: [Keys] FireUp: \"P\" is the pause key"},
      {"[Keys]\nFireUp=Pause", ":2: [Keys] FireUp: \"Pause\" is the pause key"},
      {"[Keys]\nFireUp=Escape", ":2: [Keys] FireUp: \"Escape\" is the pause key"},
      {"[Keys]\nJump=F1", ":2: [Keys] Jump: \"F1\" is the help key"},
      {"[Keys]\nFire=Z\nFire=J", ":2: [Keys] Fire: no such action; ignored"},
      {"[Keys]\nJump=J\nFireUp=K, J",
       ":3: [Keys] FireUp: \"J\" is also bound to Jump; FireUp keeps its default (D)"},
      {"[Keys]\nFireUp=J\nJump=J",
       ":3: [Keys] Jump: \"J\" is also bound to FireUp; Jump keeps its default (Up)"},
      {"[Pad]\nJump=turbo",
       ":2: [Pad] Jump: unknown button name \"turbo\"; Jump keeps its default (a)"},
      {"[Pad]\nStart=", ":2: [Pad] Start: the list is empty; Start keeps its default (start)"},
      {"[Graphics]\nScale=2\n[graphics]", ":1: [Graphics]: no such section; ignored"},
      {"[Window]\nScale=2\n[window]\nScale=3",
       ":3: [window]: the section again; only the one at line 1 counts"},
      {"[Keys]\nJump=Nope ; comment", ":2: [Keys] Jump: unknown key name \"Nope\";"},
  };
  for (const Case& c : cases) {
    std::ostringstream warnings;
    const Settings s = ParseSettings(c.text, kPath, warnings);
    const std::string expected = std::string("voltaro5: warning: ") + kPath + c.warning;
    const std::string said = warnings.str();
    EXPECT_EQ(said.substr(0, expected.size()), expected) << c.text;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.text;
    // The settings are those of the file without the line warned about.
    const std::string without = WithoutLine(c.text, std::stoi(c.warning + 1));
    EXPECT_TRUE(s == ParseSettings(without, kPath, warnings)) << c.text;
  }
}

// What a binding section gives one action, and the one warning it costs, if any.
TEST(Settings, KeysBoundInTheFileWinOverOtherActionsDefaults) {
  struct Case {
    const char* text;
    Action action;
    std::vector<SDL_Keycode> keys;
    const char* warning;  // after the file's name; "" for none
  };
  const Case cases[] = {
      // The names players write, in any letter case, and SDL's own.
      {"[Keys]\nStart=enter", Action::kStart, {SDLK_RETURN}, ""},
      {"[Keys]\nFireUp=PgUp, pgdn, Ins, Del",
       Action::kFireUp,
       {SDLK_PAGEUP, SDLK_PAGEDOWN, SDLK_INSERT, SDLK_DELETE},
       ""},
      {"[Keys]\nJump=Ctrl, Left Shift", Action::kJump, {SDLK_LCTRL, SDLK_RCTRL, SDLK_LSHIFT}, ""},
      // A comment after a value; a lone ';' is the semicolon key.
      {"[Keys]\nJump=Spacebar ; as in other games", Action::kJump, {SDLK_SPACE}, ""},
      {"[Keys]\nJump=;", Action::kJump, {SDLK_SEMICOLON}, ""},
      {"[Keys]\nJump=; ; the semicolon", Action::kJump, {SDLK_SEMICOLON}, ""},
      // A WASD layout takes D from FireUp, which is left without a key...
      {"[Keys]\nLeft=A\nRight=D\nJump=W",
       Action::kRight,
       {SDLK_d},
       ":3: [Keys] Right: takes \"D\" from FireUp; FireUp has no key now"},
      {"[Keys]\nRight=D", Action::kFireUp, {}, ":2: [Keys] Right: takes \"D\""},
      // ... unless it is given one; an action keeping another default key is
      // not warned about.
      {"[Keys]\nRight=D\nFireUp=F", Action::kFireUp, {SDLK_f}, ""},
      {"[Keys]\nJump=Return", Action::kStart, {SDLK_KP_ENTER}, ""},
      {"[Keys]\nStart=Keypad Enter", Action::kStart, {SDLK_KP_ENTER}, ""},
      // Of two entries, the later gives way, and its default may be taken.
      {"[Keys]\nFireUp=Up\nJump=Up",
       Action::kJump,
       {},
       ":3: [Keys] Jump: \"Up\" is also bound to FireUp; Jump keeps its default (Up)"},
  };
  for (const Case& c : cases) {
    std::ostringstream warnings;
    const Settings s = ParseSettings(c.text, kPath, warnings);
    EXPECT_EQ(s.keys[c.action], c.keys) << c.text;
    const std::string said = warnings.str();
    if (*c.warning == '\0') {
      EXPECT_EQ(said, "") << c.text;
    } else {
      EXPECT_THAT(said,
                  ::testing::StartsWith("voltaro5: warning: " + std::string(kPath) + c.warning));
    }
  }
  std::ostringstream warnings;
  const Settings pad = ParseSettings("[Pad]\nJump=x", kPath, warnings);
  EXPECT_EQ(pad.pad[Action::kFireLeft], std::vector<SDL_GameControllerButton>{});
  EXPECT_THAT(warnings.str(), HasSubstr("[Pad] Jump: takes \"x\" from FireLeft; FireLeft has no "
                                        "button now\n"));
  EXPECT_EQ(ParseSettings("[Window]\nScale=3 ; big\n", kPath, warnings).window.scale, 3);
}

TEST(SettingsFile, WindowStateIsWrittenOnlyWhereItChangedKeepingEveryOtherByte) {
  const testing::TempFolder folder;
  const std::string path = folder / "Voltaro5.ini";
  const std::string mine = "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=12\r\n[Window]\r\n";
  const std::string before = mine + "Scale=1\r\n\r\n[Keys]\r\nLeft=A\r\n";
  WriteWholeFile(path, before);
  std::ostringstream warnings;
  EXPECT_TRUE(SaveWindowSettings(path, {1, false, true}, {1, false, true}, warnings));
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_TRUE(SaveWindowSettings(path, {1, false, true}, {3, false, true}, warnings));
  EXPECT_EQ(ReadWholeFile(path), mine + "Scale=3\r\n\r\n[Keys]\r\nLeft=A\r\n");
  EXPECT_TRUE(SaveWindowSettings(path, {3, false, true}, {3, true, true}, warnings));
  EXPECT_EQ(ReadWholeFile(path), mine + "Scale=3\r\nFullscreen=1\r\n\r\n[Keys]\r\nLeft=A\r\n");
  EXPECT_EQ(warnings.str(), "");
  std::filesystem::remove(path);
  EXPECT_TRUE(SaveWindowSettings(path, {1, false, true}, {2, false, true}, warnings));
  EXPECT_EQ(ReadWholeFile(path), "[Window]\nScale=2\n");
  EXPECT_EQ(ReadSettings(path, warnings).window.scale, 2);
  const std::string inMissingDir = folder / "gone" / "Voltaro5.ini";
  EXPECT_FALSE(SaveWindowSettings(inMissingDir, {1, false, true}, {2, false, true}, warnings));
  EXPECT_THAT(warnings.str(), HasSubstr(inMissingDir + ": cannot store the window's Scale"));
}

// The player makes the window twice as large, goes fullscreen and closes it:
// the next start opens fullscreen at 2x, whatever factor fullscreen showed.
TEST(SettingsFile, AtCloseAfterAFullscreenToggleTheScaleIsKeptAndFullscreenRemembered) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const Sprites sprites = LoadSprites();
  SdlShell shell(sprites);
  shell.SetClientSize(kPlayfieldW, kPlayfieldH);
  shell.ShowWindow();
  struct : KeySink {
    void OnKeyDown(int) override {}
    void OnKeyUp(int) override {}
  } keys;
  shell.PumpEvents(keys);
  const WindowSettings opened = shell.WindowState();
  const auto resized = [](int width) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    event.window.data1 = width;
    event.window.data2 = width * 8 / 5;
    return event;
  };
  SDL_Event f11{};
  f11.type = SDL_KEYDOWN;
  f11.key.keysym.sym = SDLK_F11;
  for (SDL_Event event : {resized(500), f11, resized(1250)}) {
    SDL_PushEvent(&event);
    shell.PumpEvents(keys);
  }
  const testing::TempFolder folder;
  const std::string path = folder / "Voltaro5.ini";
  std::ostringstream warnings;
  EXPECT_TRUE(SaveWindowSettings(path, opened, shell.WindowState(), warnings));
  EXPECT_EQ(ReadWholeFile(path), "[Window]\nScale=2\nFullscreen=1\n");
}

}  // namespace
}  // namespace voltaro
