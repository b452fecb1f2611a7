// The help names every bound key and button as the settings file takes it:
// its names, written back as [Keys] and [Pad] entries, bind the very same.
#include "desktop/help_text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "desktop/settings.h"

namespace voltaro {
namespace {

std::string Entries(const char* section, const std::vector<HelpRow>& rows) {
  std::string text = std::string("[") + section + "]\n";
  for (std::size_t i = 0; i < kActionCount; ++i) {
    text += std::string(InfoOf(static_cast<Action>(i)).name) + "=";
    for (const std::string& name : rows[i].names) {
      // The stick steers whatever the settings say.
      if (name != "stick") text += name + ",";
    }
    text.back() = '\n';
  }
  return text;
}

TEST(DesktopHelpText, NamesKeysAndButtonsAsTheSettingsTakeThem) {
  const char* const files[] = {
      "",
      "[Keys]\nFireLeft=J, Left Shift\nStart=Space, Keypad Enter\n[Pad]\nJump=leftshoulder, a\n",
      "[Keys]\nLeft=A\nRight=Keypad 6\nJump=Right Ctrl\n[Pad]\nLeft=dpup\n",
  };
  for (const char* file : files) {
    std::ostringstream warnings;
    const Settings bound = ParseSettings(file, "Voltaro5.ini", warnings);
    const HelpText help = DesktopHelpText(bound.keys, bound.pad);
    ASSERT_GE(help.keys.size(), kActionCount);
    ASSERT_EQ(help.pad.size(), kActionCount);
    const std::string back = Entries("Keys", help.keys) + Entries("Pad", help.pad);
    const Settings again = ParseSettings(back, "Voltaro5.ini", warnings);
    EXPECT_EQ(again.keys.keys, bound.keys.keys) << back;
    EXPECT_EQ(again.pad.buttons, bound.pad.buttons) << back;
    EXPECT_EQ(warnings.str(), "") << file;
  }
}

}  // namespace
}  // namespace voltaro
