// The help picture; see help_picture.h. Under the title at full size, the
// goal, then the controls in two columns at half size (what a key does, then
// its names), and how to close the help on the bottom line. Rows that would
// run into that line are left out: only a player who bound very many keys
// loses the last of the pad's.
#include "gfx/help_picture.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "gfx/blit.h"
#include "gfx/cover_text.h"
#include "gfx/text.h"

namespace voltaro {
namespace {

// The two sentences of the goal, as the rules have it: the car falls out at
// the bottom or meets an enemy a fourth time, and scores a point a frame and
// 100 a coin or a shot enemy.
constexpr std::array<const char*, 2> kGoal = {
    "RIDE THE SINKING PLATES: THE BOTTOM OR A 4TH ENEMY HIT ENDS THE GAME.",
    "COINS AND SHOT ENEMIES SCORE 100, EACH FRAME 1."};

constexpr int kMargin = 8;
constexpr int kTitleY = 12;
constexpr int kRowH = kSmallGlyphH + 4;
constexpr int kSectionGap = 10;
constexpr int kLabelChars = 11;  // "FIRE RIGHT" and a space

int Chars(std::string_view text) {
  return static_cast<int>(text.size());
}

// Writes half-size rows downwards from a top line, none below `bottom`.
struct RowWriter {
  Surface& picture;
  const Sprites& sprites;
  int y;
  int bottom;

  bool Fits() const { return y + kSmallGlyphH <= bottom; }

  void Lines(int x, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (Fits()) WriteSmallText(picture, sprites, x, y, line);
      y += kRowH;
    }
  }

  // A heading underlined across the picture, and its rows.
  void Section(std::string_view heading, const std::vector<HelpRow>& rows) {
    if (!Fits()) return;
    WriteSmallText(picture, sprites, kMargin, y, heading);
    const Surface rule(picture.width - 2 * kMargin, 1, kGreen);
    DrawOpaque(picture, rule, kMargin, y + kSmallGlyphH + 1);
    y += kRowH + 2;
    const int namesX = kMargin + kLabelChars * kSmallGlyphW;
    const int namesChars = (picture.width - kMargin - namesX) / kSmallGlyphW;
    for (const HelpRow& row : rows) {
      std::string names;
      for (const std::string& name : row.names) names += (names.empty() ? "" : ", ") + name;
      const std::vector<std::string> lines = WrapWords(names, namesChars);
      // A row is written whole or not at all.
      if (y + static_cast<int>(std::max<std::size_t>(lines.size(), 1) - 1) * kRowH + kSmallGlyphH >
          bottom) {
        y = bottom;
        return;
      }
      WriteSmallText(picture, sprites, kMargin, y, row.what);
      const int top = y;
      Lines(namesX, lines);
      y = std::max(y, top + kRowH);
    }
    y += kSectionGap;
  }
};

}  // namespace

void DrawHelpPicture(Surface& picture, const Sprites& sprites, const HelpText& help) {
  DimPicture(picture, kHelpDimShift);
  WriteText(picture, sprites,
            static_cast<std::int16_t>(CentredTextX(picture.width, Chars(kHelpTitle), kGlyphW)),
            kTitleY, kHelpTitle);
  const int closeY = picture.height - kMargin - kSmallGlyphH;
  WriteSmallText(picture, sprites, CentredTextX(picture.width, Chars(kHelpCloseText), kSmallGlyphW),
                 closeY, kHelpCloseText);
  RowWriter rows{picture, sprites, kTitleY + kGlyphH + kSectionGap, closeY - kSectionGap};
  const int lineChars = (picture.width - 2 * kMargin) / kSmallGlyphW;
  for (const char* sentence : kGoal) {
    rows.Lines(kMargin, WrapWords(sentence, lineChars));
    rows.y += kRowH / 2;
  }
  rows.y += kSectionGap / 2;
  rows.Section("KEYS", help.keys);
  if (!help.pad.empty()) rows.Section("PAD", help.pad);
}

void AddWindowKeyRows(HelpText& help, std::vector<std::string> fullscreenKeys) {
  help.keys.push_back({"PAUSE", {"P", "Pause", "Esc"}});
  help.keys.push_back({"HELP", {"F1"}});
  help.keys.push_back({"FULLSCREEN", std::move(fullscreenKeys)});
  help.keys.push_back({"SOUND", {"M"}});
}

}  // namespace voltaro
