// Checks the invariants the drawing code relies on in every picture compiled
// into the game: sizes, the green-on-black colours, where transparency may
// and may not be, the font sheet's cell layout, and that each XPM file on disk
// is a well-formed picture identical to the one compiled in.
#include "art/art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using voltaro::art::kArrowXpm;
using voltaro::art::kBulletLeftXpm;
using voltaro::art::kBulletRightXpm;
using voltaro::art::kBulletUpXpm;
using voltaro::art::kCarXpm;
using voltaro::art::kCoinXpm;
using voltaro::art::kEnemyXpm;
using voltaro::art::kFontXpm;
using voltaro::art::kIcon16Xpm;
using voltaro::art::kIcon32Xpm;
using voltaro::art::kPlateXpm;

const std::string kNone = "None";
const std::string kBlack = "#000000";
const std::string kGreen = "#00FF00";

// A picture read back from its XPM lines: the colour of each key and the rows
// as written, one character per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  int colourCount = 0;
  int charsPerPixel = 0;
  std::map<char, std::string> colours;
  std::vector<std::string> rows;

  std::string At(int x, int y) const { return colours.at(rows[y][x]); }
  int CountOpaque(int x0, int y0, int w, int h) const {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) n += At(x, y) != kNone;
    return n;
  }
};

// The XPM header counts say how many lines follow; the loader reads exactly
// that many, so they are taken from the header here too.
Picture Parse(const char* const* lines) {
  Picture p;
  std::istringstream header(lines[0]);
  header >> p.width >> p.height >> p.colourCount >> p.charsPerPixel;
  for (int i = 0; i < p.colourCount; ++i) {
    const std::string line = lines[1 + i];
    const auto key = line.find(" c ");
    p.colours[line.at(0)] = key == std::string::npos ? "" : line.substr(key + 3);
  }
  for (int y = 0; y < p.height; ++y) p.rows.emplace_back(lines[1 + p.colourCount + y]);
  return p;
}

// The quoted strings of an XPM file, in order, and its first two lines.
struct XpmFile {
  std::vector<std::string> lines;
  std::string first;
  std::string second;
};

XpmFile ReadXpmFile(const std::string& path) {
  XpmFile file;
  std::ifstream in(path);
  std::string line;
  for (int n = 0; std::getline(in, line); ++n) {
    if (n == 0) file.first = line;
    if (n == 1) file.second = line;
    const auto open = line.find('"');
    const auto close = line.rfind('"');
    if (open != std::string::npos && close > open) {
      file.lines.push_back(line.substr(open + 1, close - open - 1));
    }
  }
  return file;
}

enum class Kind { kSprite, kIcon };

struct Case {
  const char* file;
  const char* const* xpm;
  int width;
  int height;
  Kind kind;
  bool mayBeTransparent;
  bool mayBeBlack;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.file;
}

const Case kCases[] = {
    {"plate", kPlateXpm, 80, 10, Kind::kSprite, false, true},
    {"car", kCarXpm, 34, 16, Kind::kSprite, true, true},
    {"arrow", kArrowXpm, 20, 32, Kind::kSprite, true, false},
    {"enemy", kEnemyXpm, 34, 16, Kind::kSprite, false, true},
    {"coin", kCoinXpm, 10, 10, Kind::kSprite, true, true},
    {"bullet_left", kBulletLeftXpm, 9, 4, Kind::kSprite, true, true},
    {"bullet_right", kBulletRightXpm, 9, 4, Kind::kSprite, true, true},
    {"bullet_up", kBulletUpXpm, 4, 9, Kind::kSprite, true, true},
    {"font", kFontXpm, 1170, 14, Kind::kSprite, true, false},
    {"icon32", kIcon32Xpm, 32, 32, Kind::kIcon, true, true},
    {"icon16", kIcon16Xpm, 16, 16, Kind::kIcon, true, true},
};

// The standard 16-colour palette, the only colours an icon may use.
const std::set<std::string> kPalette16 = {
    "#000000", "#800000", "#008000", "#808000", "#000080", "#800080", "#008080", "#C0C0C0",
    "#808080", "#FF0000", "#00FF00", "#FFFF00", "#0000FF", "#FF00FF", "#00FFFF", "#FFFFFF",
};

class EveryPicture : public testing::TestWithParam<Case> {};

TEST_P(EveryPicture, HasItsSizeAndOneCharacterPerPixel) {
  const Case& c = GetParam();
  ASSERT_NE(c.xpm, nullptr);
  const Picture p = Parse(c.xpm);
  EXPECT_EQ(p.width, c.width);
  EXPECT_EQ(p.height, c.height);
  EXPECT_EQ(p.charsPerPixel, 1);
  ASSERT_EQ(static_cast<int>(p.colours.size()), p.colourCount) << "a colour key is repeated";
  for (int y = 0; y < p.height; ++y) {
    ASSERT_EQ(static_cast<int>(p.rows[y].size()), p.width) << "row " << y;
    for (char key : p.rows[y])
      ASSERT_TRUE(p.colours.count(key)) << "row " << y << " '" << key << "'";
  }
}

TEST_P(EveryPicture, UsesOnlyItsAllowedColours) {
  const Case& c = GetParam();
  const Picture p = Parse(c.xpm);
  std::set<std::string> used;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) used.insert(p.At(x, y));
  EXPECT_EQ(used.size(), p.colours.size()) << "a colour is declared but never used";
  EXPECT_TRUE(used.count(kGreen)) << "green line art expected";
  for (const std::string& colour : used) {
    if (c.kind == Kind::kIcon) {
      EXPECT_TRUE(colour == kNone || kPalette16.count(colour)) << colour;
    } else {
      EXPECT_TRUE(colour == kNone || colour == kBlack || colour == kGreen) << colour;
    }
  }
  EXPECT_LE(used.size(), 16u);
  if (!c.mayBeTransparent) {
    EXPECT_FALSE(used.count(kNone)) << "must be opaque everywhere";
  }
  if (!c.mayBeBlack) {
    EXPECT_FALSE(used.count(kBlack)) << "only green strokes may be opaque";
  }
}

// The file on disk is what image editors open: it must be a standard XPM
// whose line count matches its header, and hold exactly the compiled picture.
TEST_P(EveryPicture, FileIsAStandardXpmMatchingTheCompiledPicture) {
  const Case& c = GetParam();
  const XpmFile file = ReadXpmFile(std::string(VOLTARO5_SOURCE_DIR) + "/art/" + c.file + ".xpm");
  EXPECT_EQ(file.first, "/* XPM */");
  EXPECT_EQ(file.second, std::string("static const char *") + c.file + "_xpm[] = {");
  const Picture p = Parse(c.xpm);
  ASSERT_EQ(static_cast<int>(file.lines.size()), 1 + p.colourCount + p.height);
  for (std::size_t i = 0; i < file.lines.size(); ++i) EXPECT_EQ(file.lines[i], c.xpm[i]);
}

INSTANTIATE_TEST_SUITE_P(Art, EveryPicture, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param) {
                           return std::string(param.param.file);
                         });

// Sprites with transparency stand free of their box: the corners show the
// playfield, so a car or coin never drags a black rectangle over a plate.
TEST(Sprites, SilhouettesLeaveTheirCornersTransparent) {
  for (const char* const* xpm :
       {kCarXpm, kCoinXpm, kArrowXpm, kBulletLeftXpm, kBulletRightXpm, kBulletUpXpm}) {
    const Picture p = Parse(xpm);
    const std::pair<int, int> corners[] = {
        {0, 0}, {p.width - 1, 0}, {0, p.height - 1}, {p.width - 1, p.height - 1}};
    for (const auto& [x, y] : corners) {
      EXPECT_EQ(p.At(x, y), kNone) << p.width << "x" << p.height << " at " << x << "," << y;
    }
  }
}

// Each bullet and the marker point the way they fly: the two lines at the tip
// end hold fewer opaque pixels than the two at the tail end.
TEST(Sprites, BulletsAndMarkerPointTheirWay) {
  struct Pointing {
    const char* name;
    const char* const* xpm;
    bool horizontal;
    bool tipAtStart;
  };
  for (const Pointing& s :
       {Pointing{"left", kBulletLeftXpm, true, true},
        Pointing{"right", kBulletRightXpm, true, false}, Pointing{"up", kBulletUpXpm, false, true},
        Pointing{"arrow", kArrowXpm, false, true}}) {
    const Picture p = Parse(s.xpm);
    const int start = s.horizontal ? p.CountOpaque(0, 0, 2, p.height)  //
                                   : p.CountOpaque(0, 0, p.width, 2);
    const int end = s.horizontal ? p.CountOpaque(p.width - 2, 0, 2, p.height)
                                 : p.CountOpaque(0, p.height - 2, p.width, 2);
    EXPECT_GT(std::min(start, end), 0) << s.name;
    EXPECT_EQ(s.tipAtStart, start < end) << s.name << ": " << start << " vs " << end;
    EXPECT_NE(start, end) << s.name;
  }
}

TEST(Sprites, SideBulletsAreMirrorImages) {
  const Picture left = Parse(kBulletLeftXpm);
  const Picture right = Parse(kBulletRightXpm);
  for (int y = 0; y < left.height; ++y)
    for (int x = 0; x < left.width; ++x)
      EXPECT_EQ(left.At(x, y), right.At(right.width - 1 - x, y)) << x << "," << y;
}

constexpr int kCellW = 18;
constexpr int kCellH = 14;
constexpr int kFirstCode = 32;
constexpr int kLastCode = 96;

std::string Cell(const Picture& font, int code) {
  std::string cell;
  for (int y = 0; y < kCellH; ++y)
    for (int x = 0; x < kCellW; ++x)
      cell += font.At((code - kFirstCode) * kCellW + x, y) == kNone ? ' ' : '#';
  return cell;
}

TEST(Font, SheetHoldsOneCellPerCodeFromSpaceToGraveAccent) {
  const Picture font = Parse(kFontXpm);
  EXPECT_EQ(font.width, (kLastCode - kFirstCode + 1) * kCellW);
  EXPECT_EQ(font.height, kCellH);
}

// Columns 0 and 17 stay clear so letters at the 18-pixel advance never touch;
// a space draws nothing; every other glyph draws something, and no two alike.
TEST(Font, GlyphsKeepTheirMarginsAndAreAllDistinct) {
  const Picture font = Parse(kFontXpm);
  std::map<std::string, char> seen;
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const std::string cell = Cell(font, code);
    const char ch = static_cast<char>(code);
    for (int y = 0; y < kCellH; ++y) {
      EXPECT_EQ(cell[static_cast<std::size_t>(y * kCellW)], ' ') << "'" << ch << "' row " << y;
      EXPECT_EQ(cell[static_cast<std::size_t>(y * kCellW + kCellW - 1)], ' ')
          << "'" << ch << "' row " << y;
    }
    const bool blank = cell.find('#') == std::string::npos;
    EXPECT_EQ(blank, code == ' ') << "'" << ch << "'";
    const auto [it, fresh] = seen.emplace(cell, ch);
    EXPECT_TRUE(fresh) << "'" << ch << "' looks like '" << it->second << "'";
  }
}

// Strokes are two pixels wide throughout, so text has one even weight: every
// green pixel of the sheet lies in some 2 x 2 block that is all green.
TEST(Font, EveryStrokeIsAtLeastTwoPixelsWide) {
  const Picture font = Parse(kFontXpm);
  auto green = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < font.width && y < font.height && font.At(x, y) == kGreen;
  };
  for (int y = 0; y < font.height; ++y) {
    for (int x = 0; x < font.width; ++x) {
      if (!green(x, y)) continue;
      bool inBlock = false;
      for (int by = y - 1; by <= y; ++by)
        for (int bx = x - 1; bx <= x; ++bx)
          inBlock = inBlock || (green(bx, by) && green(bx + 1, by) && green(bx, by + 1) &&
                                green(bx + 1, by + 1));
      EXPECT_TRUE(inBlock) << "'" << static_cast<char>(kFirstCode + x / kCellW) << "' at "
                           << x % kCellW << "," << y;
    }
  }
}

}  // namespace
