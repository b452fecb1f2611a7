// The settings as read from the file's bytes, every bad entry with its
// warning, and the window's state written back.
#include "desktop/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace voltaro {
namespace {

constexpr const char* kPath = "/games/Voltaro5.ini";

std::vector<SDL_Keycode> KeysOf(const Settings& s, Action a) {
  return s.keys[a];
}

TEST(Settings, GoodEntriesReplaceTheDefaults) {
  std::ostringstream warnings;
  const Settings s = ParseSettings(
      "[VOLTARO ZIP 5]\nHighScore=5\n[window]\nscale = 3\nFullscreen=1\nPauseOnFocusLoss=0\n"
      "[Keys]\nFireLeft=Z, J\nStart=Space\nleft=a\n[Pad]\nJump=leftshoulder, A\nStart=back\n",
      kPath, warnings);
  EXPECT_EQ(warnings.str(), "");
  EXPECT_EQ(s.window, (WindowSettings{3, true, false}));
  EXPECT_EQ(KeysOf(s, Action::kFireLeft), (std::vector<SDL_Keycode>{SDLK_z, SDLK_j}));
  EXPECT_EQ(KeysOf(s, Action::kStart), std::vector<SDL_Keycode>{SDLK_SPACE});
  EXPECT_EQ(KeysOf(s, Action::kLeft), std::vector<SDL_Keycode>{SDLK_a});
  EXPECT_EQ(KeysOf(s, Action::kRight), std::vector<SDL_Keycode>{SDLK_RIGHT});
  EXPECT_EQ(s.pad[Action::kJump],
            (std::vector<SDL_GameControllerButton>{SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                   SDL_CONTROLLER_BUTTON_A}));
  EXPECT_EQ(s.pad[Action::kStart], std::vector{SDL_CONTROLLER_BUTTON_BACK});
  const Settings none = ParseSettings("", kPath, warnings);
  EXPECT_EQ(none.window, WindowSettings{});
  EXPECT_EQ(KeysOf(none, Action::kStart), (std::vector<SDL_Keycode>{SDLK_RETURN, SDLK_KP_ENTER}));
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
      {"[Window]\nZoom=2", ":2: [Window] Zoom: no such setting; ignored"},
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
      {"[Keys]\nFire=Z", ":2: [Keys] Fire: no such action; ignored"},
      {"[Keys]\nJump=Z",
       ":2: [Keys] Jump: \"Z\" is also bound to FireLeft; Jump keeps its default (Up)"},
      {"[Keys]\nJump=J\nFireUp=K, J",
       ":3: [Keys] FireUp: \"J\" is also bound to Jump; FireUp keeps its default (D)"},
      {"[Keys]\nFireUp=J\nJump=J",
       ":3: [Keys] Jump: \"J\" is also bound to FireUp; Jump keeps its default (Up)"},
      {"[Pad]\nJump=turbo",
       ":2: [Pad] Jump: unknown button name \"turbo\"; Jump keeps its default (a)"},
      {"[Pad]\nStart=", ":2: [Pad] Start: the list is empty; Start keeps its default (start)"},
      {"[Pad]\nJump=x",
       ":2: [Pad] Jump: \"x\" is also bound to FireLeft; Jump keeps its default (a)"},
  };
  for (const Case& c : cases) {
    std::ostringstream warnings;
    const Settings s = ParseSettings(c.text, kPath, warnings);
    const std::string expected = std::string("voltaro5: warning: ") + kPath + c.warning;
    const std::string said = warnings.str();
    EXPECT_EQ(said.substr(0, expected.size()), expected) << c.text;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.text;
    // The entry warned about keeps its default.
    const Settings defaults;
    const std::string named = std::string(c.warning).substr(std::string(c.warning).find("] ") + 2);
    const std::optional<Action> action = ActionNamed(named.substr(0, named.find(':')));
    if (std::string(c.text).find("[Window]") != std::string::npos) {
      if (std::string(c.text).find("Scale=2") == std::string::npos) {
        EXPECT_EQ(s.window, defaults.window) << c.text;
      }
    } else if (action && std::string(c.text).find("[Keys]") != std::string::npos) {
      EXPECT_EQ(s.keys[*action], defaults.keys[*action]) << c.text;
    } else if (action) {
      EXPECT_EQ(s.pad[*action], defaults.pad[*action]) << c.text;
    }
  }
}

TEST(Settings, AnEntryClashingWithItsOwnDefaultKeyIsFine) {
  // Left=Right and Right=Left swap the arrows: neither list keeps a default.
  std::ostringstream warnings;
  const Settings s = ParseSettings("[Keys]\nLeft=Right\nRight=Left\n", kPath, warnings);
  EXPECT_EQ(warnings.str(), "");
  EXPECT_EQ(s.keys[Action::kLeft], std::vector<SDL_Keycode>{SDLK_RIGHT});
  EXPECT_EQ(s.keys[Action::kRight], std::vector<SDL_Keycode>{SDLK_LEFT});
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/voltaro5-settings-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    path_ = dir_ + "/Voltaro5.ini";
  }
  void TearDown() override {
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string dir_, path_;
};

TEST_F(SettingsFile, WindowStateIsWrittenOnlyWhereItChangedKeepingEveryOtherByte) {
  const std::string before =
      "; mine\r\n[VOLTARO ZIP "
      "5]\r\nHighScore=12\r\n[Window]\r\nScale=1\r\n\r\n[Keys]\r\nLeft=A\r\n";
  Write(before);
  std::ostringstream warnings;
  EXPECT_TRUE(SaveWindowSettings(path_, {1, false, true}, {1, false, true}, warnings));
  EXPECT_EQ(Read(), before);
  EXPECT_TRUE(SaveWindowSettings(path_, {1, false, true}, {3, false, true}, warnings));
  EXPECT_EQ(Read(),
            "; mine\r\n[VOLTARO ZIP "
            "5]\r\nHighScore=12\r\n[Window]\r\nScale=3\r\n\r\n[Keys]\r\nLeft=A\r\n");
  EXPECT_TRUE(SaveWindowSettings(path_, {3, false, true}, {3, true, true}, warnings));
  EXPECT_EQ(Read(),
            "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=12\r\n[Window]\r\nScale=3\r\nFullscreen=1\r\n"
            "\r\n[Keys]\r\nLeft=A\r\n");
  EXPECT_EQ(warnings.str(), "");
  std::remove(path_.c_str());
  EXPECT_TRUE(SaveWindowSettings(path_, {1, false, true}, {2, false, true}, warnings));
  EXPECT_EQ(Read(), "[Window]\nScale=2\n");
  EXPECT_EQ(ReadSettings(path_, warnings).window.scale, 2);
}

TEST_F(SettingsFile, AFailedWriteWarnsAndLeavesNoFile) {
  std::ostringstream warnings;
  const std::string inMissingDir = dir_ + "/gone/Voltaro5.ini";
  EXPECT_FALSE(SaveWindowSettings(inMissingDir, {1, false, true}, {2, false, true}, warnings));
  EXPECT_NE(warnings.str().find(inMissingDir + ": cannot store the window's Scale"),
            std::string::npos)
      << warnings.str();
}

}  // namespace
}  // namespace voltaro
