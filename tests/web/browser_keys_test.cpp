// The browser's keys reach the game with the desktop window's codes.
#include "web/browser_keys.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <utility>

namespace voltaro {
namespace {

struct KeyCase {
  const char* name;
  int keyCode;
  std::string_view code;
  int expected;
};

class BrowserKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(BrowserKeys, HaveTheDesktopCodes) {
  EXPECT_EQ(VirtualKeyFromBrowser(GetParam().keyCode, GetParam().code), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrowserKeys,
    testing::Values(
        KeyCase{"Enter", 13, "Enter", 13}, KeyCase{"KeypadEnter", 13, "NumpadEnter", 13},
        KeyCase{"Left", 37, "ArrowLeft", 37}, KeyCase{"Up", 38, "ArrowUp", 38},
        KeyCase{"Right", 39, "ArrowRight", 39}, KeyCase{"Down", 40, "ArrowDown", 40},
        KeyCase{"A", 65, "KeyA", 65}, KeyCase{"Z", 90, "KeyZ", 90},
        KeyCase{"Digit0", 48, "Digit0", 48}, KeyCase{"Digit9", 57, "Digit9", 57},
        KeyCase{"Space", 32, "Space", 32}, KeyCase{"Escape", 27, "Escape", 27},
        // The keypad's keys are keys of their own, Num Lock on or off.
        KeyCase{"Numpad4", 100, "Numpad4", 0}, KeyCase{"NumpadLeft", 37, "Numpad4", 0},
        // An input method took the key, or one switches it on:
        // each must bring up the input-method message.
        KeyCase{"Composing", 229, "KeyA", 229}, KeyCase{"ComposingEnter", 229, "Enter", 229},
        KeyCase{"HangulEnglish", 21, "Lang1", 229}, KeyCase{"HanjaOnLang2", 25, "Lang2", 229},
        KeyCase{"Katakana", 0, "Lang3", 229}, KeyCase{"Hiragana", 0, "Lang4", 229},
        KeyCase{"ZenkakuHankaku", 243, "Lang5", 229},
        KeyCase{"KatakanaHiragana", 242, "KanaMode", 229},
        KeyCase{"HangulMode", 21, "HangulMode", 229}, KeyCase{"Hanja", 25, "Hanja", 229},
        // Keys the game has no code for.
        KeyCase{"Shift", 16, "ShiftLeft", 0}, KeyCase{"F5", 116, "F5", 0},
        KeyCase{"PageDown", 34, "PageDown", 0}, KeyCase{"Semicolon", 186, "Semicolon", 0},
        KeyCase{"Unidentified", 0, "", 0}),
    [](const testing::TestParamInfo<KeyCase>& param) { return std::string(param.param.name); });

TEST(BrowserKeys, PauseEscAndF1AreTheWindowsAndNoOtherKey) {
  const std::pair<int, std::optional<WindowKey>> cases[] = {
      {'P', WindowKey::kPause}, {19, WindowKey::kPause}, {27, WindowKey::kEscape},
      {112, WindowKey::kHelp},  {113, std::nullopt},     {'Q', std::nullopt},
      {13, std::nullopt}};
  for (const auto& [keyCode, windowKey] : cases) {
    EXPECT_EQ(BrowserWindowKey(keyCode), windowKey) << keyCode;
  }
}

TEST(BrowserKeys, GameKeysStayFromThePageButShortcutsDoNot) {
  EXPECT_TRUE(KeepsKeyFromPage(37, false));    // Left does not scroll
  EXPECT_TRUE(KeepsKeyFromPage(32, false));    // nor does Space
  EXPECT_FALSE(KeepsKeyFromPage(82, true));    // Ctrl+R reloads
  EXPECT_FALSE(KeepsKeyFromPage(0, false));    // F5 and the like are the browser's
  EXPECT_FALSE(KeepsKeyFromPage(229, false));  // the input method's own keys too
}

}  // namespace
}  // namespace voltaro
