// The title and game-over pictures: every line centred on the playfield's
// width at the height the screen's layout gives it.
#include "gfx/screens.h"

#include <cmath>
#include <string>

#include "gfx/text.h"

namespace voltaro {
namespace {

constexpr std::int16_t kTitleY = 90;
constexpr std::int16_t kHighScoreLabelY = 190;
constexpr std::int16_t kHiScoreY = 207;
constexpr std::int16_t kPromptY = 300;
constexpr std::int16_t kGameOverY = 100;
constexpr std::int16_t kScoreY = 170;
constexpr std::int16_t kNewRecordY = 187;

void WriteCentred(Surface& playfield, const Sprites& sprites, std::int16_t screenW, std::int16_t y,
                  const std::string& text) {
  WriteText(playfield, sprites, CenteredX(screenW, static_cast<int>(text.size())), y, text);
}

}  // namespace

std::int16_t CenteredX(std::int16_t screenW, int chars) {
  const double x = (static_cast<double>(screenW) - static_cast<double>(kGlyphW) * chars) / 2.0;
  // nearbyint rounds halves to the even neighbour in the default rounding mode.
  return static_cast<std::int16_t>(std::nearbyint(x));
}

void DrawTitleFrame(Surface& playfield, const Sprites& sprites, std::int16_t screenW,
                    std::int16_t screenH, std::int32_t hiScore, bool showPrompt) {
  playfield.Clear();
  WriteCentred(playfield, sprites, screenW, kTitleY, kTitleText);
  if (showPrompt) WriteCentred(playfield, sprites, screenW, kPromptY, kPromptText);
  WriteCentred(playfield, sprites, screenW, kHighScoreLabelY, kHighScoreLabel);
  WriteCentred(playfield, sprites, screenW, kHiScoreY, std::to_string(hiScore));
  // The credit line's glyphs end on the playfield's bottom edge.
  const auto creditY = static_cast<std::int16_t>(screenH - kGlyphH);
  WriteCentred(playfield, sprites, screenW, creditY, kCreditText);
}

void DrawGameOverFrame(Surface& playfield, const Sprites& sprites, std::int16_t screenW,
                       std::int32_t score, bool newRecord) {
  playfield.Clear();
  WriteCentred(playfield, sprites, screenW, kGameOverY, kGameOverText);
  WriteCentred(playfield, sprites, screenW, kScoreY,
               std::string(kScoreLabel) + std::to_string(score));
  WriteCentred(playfield, sprites, screenW, kPromptY, kPromptText);
  if (newRecord) WriteCentred(playfield, sprites, screenW, kNewRecordY, kNewRecordText);
}

}  // namespace voltaro
