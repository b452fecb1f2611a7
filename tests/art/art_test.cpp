// What the drawing relies on in every picture compiled into the game: sizes,
// green-on-black colours, where transparency may be, and the font's cells.
#include "art/art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace voltaro::art;  // NOLINT: the pictures

const std::string kNone = "None", kBlack = "#000000", kGreen = "#00FF00";

// A picture read back from its XPM lines: as many as the header announces, as
// the game's loader reads. At() gives a pixel's colour; an undefined key throws.
struct Picture {
  int width = 0, height = 0;
  std::map<char, std::string> colours;
  std::vector<std::string> rows;
  const std::string& At(int x, int y) const { return colours.at(rows.at(y).at(x)); }
  int Opaque(int x0, int y0, int w, int h) const {
    int n = 0;
    for (int i = 0; i < w * h; ++i) n += At(x0 + i % w, y0 + i / w) != kNone;
    return n;
  }
};

Picture Parse(const char* const* lines) {
  Picture p;
  int colourCount = 0, charsPerPixel = 0;
  std::istringstream(lines[0]) >> p.width >> p.height >> colourCount >> charsPerPixel;
  EXPECT_EQ(charsPerPixel, 1);
  for (int i = 1; i <= colourCount; ++i) {
    const std::string line = lines[i];
    EXPECT_TRUE(p.colours.emplace(line[0], line.substr(line.find(" c ") + 3)).second) << line;
  }
  for (int y = 0; y < p.height; ++y) {
    p.rows.emplace_back(lines[1 + colourCount + y]);
    EXPECT_EQ(static_cast<int>(p.rows.back().size()), p.width) << "row " << y;
  }
  return p;
}

// Plate and enemy hide what they cover; the marker and the font draw only
// their green strokes; icons may use the 16 standard colours.
TEST(Art, EveryPictureHasItsSizeAndOnlyItsAllowedColours) {
  struct Case {
    const char* name;
    const char* const* xpm;
    int width, height;
    bool mayBeTransparent, mayBeBlack, icon;
  };
  const Case pictures[] = {{"plate", kPlateXpm, 80, 10, false, true, false},
                           {"car", kCarXpm, 34, 16, true, true, false},
                           {"arrow", kArrowXpm, 20, 32, true, false, false},
                           {"enemy", kEnemyXpm, 34, 16, false, true, false},
                           {"coin", kCoinXpm, 10, 10, true, true, false},
                           {"bullet_left", kBulletLeftXpm, 9, 4, true, true, false},
                           {"bullet_right", kBulletRightXpm, 9, 4, true, true, false},
                           {"bullet_up", kBulletUpXpm, 4, 9, true, true, false},
                           {"font", kFontXpm, 1170, 14, true, false, false},
                           {"icon32", kIcon32Xpm, 32, 32, true, true, true},
                           {"icon16", kIcon16Xpm, 16, 16, true, true, true}};
  const std::set<std::string> palette16 = {
      "#000000", "#800000", "#008000", "#808000", "#000080", "#800080", "#008080", "#C0C0C0",
      "#808080", "#FF0000", "#00FF00", "#FFFF00", "#0000FF", "#FF00FF", "#00FFFF", "#FFFFFF"};
  for (const Case& c : pictures) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.xpm, nullptr);
    const Picture p = Parse(c.xpm);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    std::set<std::string> used;
    for (int i = 0; i < p.width * p.height; ++i) used.insert(p.At(i % p.width, i / p.width));
    EXPECT_TRUE(used.count(kGreen)) << "green line art expected";
    EXPECT_LE(used.size(), 16u);
    EXPECT_TRUE(c.mayBeTransparent || !used.count(kNone)) << "must be opaque everywhere";
    EXPECT_TRUE(c.mayBeBlack || !used.count(kBlack)) << "only green strokes may be opaque";
    for (const std::string& colour : used) {
      EXPECT_TRUE(colour == kNone ||
                  (c.icon ? palette16.count(colour) != 0 : colour == kBlack || colour == kGreen))
          << colour;
    }
  }
}

// Columns 0 and 17 stay clear so letters at the 18-pixel advance never touch;
// the space draws nothing, every other glyph something, and no two alike.
TEST(Art, FontCellsKeepTheirMarginsAndAreAllDistinct) {
  const Picture font = Parse(kFontXpm);
  std::map<std::string, char> seen;
  for (char ch = ' '; ch <= '`'; ++ch) {
    std::string cell;
    for (int i = 0; i < 18 * 14; ++i) {
      const int x = i % 18, y = i / 18;
      cell += font.At((ch - ' ') * 18 + x, y) == kNone ? ' ' : '#';
      EXPECT_TRUE((x != 0 && x != 17) || cell.back() == ' ') << ch << " at " << x << "," << y;
    }
    EXPECT_EQ(cell.find('#') == std::string::npos, ch == ' ') << ch;
    const auto [it, fresh] = seen.emplace(cell, ch);
    EXPECT_TRUE(fresh) << ch << " looks like " << it->second;
  }
}

// Strokes are two pixels wide throughout, so text has one even weight: every
// green pixel of the sheet lies in some 2 x 2 block that is all green.
TEST(Art, EveryFontStrokeIsAtLeastTwoPixelsWide) {
  const Picture font = Parse(kFontXpm);
  const auto green = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < font.width && y < font.height && font.At(x, y) == kGreen;
  };
  const auto block = [&](int x, int y) {
    return green(x, y) && green(x + 1, y) && green(x, y + 1) && green(x + 1, y + 1);
  };
  for (int i = 0; i < font.width * font.height; ++i) {
    const int x = i % font.width, y = i / font.width;
    EXPECT_TRUE(!green(x, y) || block(x - 1, y - 1) || block(x, y - 1) || block(x - 1, y) ||
                block(x, y))
        << "'" << static_cast<char>(' ' + x / 18) << "' at " << x % 18 << "," << y;
  }
}

// Each bullet and the marker point the way they fly: the two lines at the tip
// hold fewer opaque pixels than the two at the tail; the side bullets mirror.
TEST(Art, BulletsAndMarkerPointTheirWay) {
  for (auto [xpm, horizontal, tipFirst] : {std::tuple{kBulletLeftXpm, true, true},
                                           {kBulletRightXpm, true, false},
                                           {kBulletUpXpm, false, true},
                                           {kArrowXpm, false, true}}) {
    const Picture p = Parse(xpm);
    const int first = horizontal ? p.Opaque(0, 0, 2, p.height) : p.Opaque(0, 0, p.width, 2);
    const int last =
        horizontal ? p.Opaque(p.width - 2, 0, 2, p.height) : p.Opaque(0, p.height - 2, p.width, 2);
    EXPECT_GT(std::min(first, last), 0) << p.width << "x" << p.height;
    EXPECT_LT(tipFirst ? first : last, tipFirst ? last : first) << p.width << "x" << p.height;
  }
  const Picture left = Parse(kBulletLeftXpm), right = Parse(kBulletRightXpm);
  for (int i = 0; i < 9 * 4; ++i) {
    EXPECT_EQ(left.At(i % 9, i / 9), right.At(8 - i % 9, i / 9)) << i % 9 << "," << i / 9;
  }
}

}  // namespace
