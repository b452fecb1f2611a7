// The pictures over a held game: the words of the help wrapped into its
// columns, and its rows kept inside the picture and off its closing line
// whatever the player bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/cover_text.h"
#include "gfx/help_picture.h"

namespace voltaro {
namespace {

TEST(WrapWords, FillsLinesAtSpacesAndCutsWordsLongerThanALine) {
  struct Case {
    const char* text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", 5, {}},
      {"   ", 5, {}},
      {"Z", 5, {"Z"}},
      {"ab cd", 5, {"ab cd"}},
      {"ab cd", 4, {"ab", "cd"}},
      {"  ab   cd  ", 9, {"ab cd"}},
      {"Return, Keypad Enter", 15, {"Return, Keypad", "Enter"}},
      {"abcdefgh ij", 3, {"abc", "def", "gh", "ij"}},
      {"ab abcdef", 4, {"ab", "abcd", "ef"}},
      {"ab", 0, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WrapWords(c.text, c.width), c.lines) << '"' << c.text << "\" in " << c.width;
  }
}

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

// The help over a black picture: everything lit is its text or rules.
Surface Help(const HelpText& help) {
  Surface picture(250, 400);
  DrawHelpPicture(picture, TheSprites(), help);
  return picture;
}

bool LitIn(const Surface& picture, int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (picture.At(x, y) != kBlack) return true;
    }
  }
  return false;
}

TEST(HelpPicture, RowsStayInsideThePictureAndOffTheClosingLine) {
  const std::vector<std::string> many = {"Keypad Backspace", "Right Shift", "Left Ctrl", "A"};
  HelpText few;
  HelpText crowded;
  for (const char* label : kActionLabels) {
    few.keys.push_back({label, {"A"}});
    crowded.keys.push_back({label, many});
    crowded.pad.push_back({label, many});
  }
  const Surface plain = Help(few);
  const Surface full = Help(crowded);
  // The closing line's band looks the same however many rows were asked for.
  const int closeTop = 400 - 8 - 7 - 4;
  for (int y = closeTop; y < 400; ++y) {
    for (int x = 0; x < 250; ++x) ASSERT_EQ(full.At(x, y), plain.At(x, y)) << x << ", " << y;
  }
  // Nothing touches the picture's sides.
  for (const Surface* picture : {&plain, &full}) {
    EXPECT_FALSE(LitIn(*picture, 0, 0, 4, 400));
    EXPECT_FALSE(LitIn(*picture, 246, 0, 250, 400));
  }
  // The crowded lists go on in the lines under their rows, far down.
  EXPECT_TRUE(LitIn(full, 0, closeTop - 60, 250, closeTop - 40));
}

}  // namespace
}  // namespace voltaro
