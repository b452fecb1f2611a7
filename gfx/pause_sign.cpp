// The pause picture; see pause_sign.h.
#include "gfx/pause_sign.h"

#include <cstdint>
#include <string_view>

#include "gfx/blit.h"
#include "gfx/cover_text.h"
#include "gfx/text.h"

namespace voltaro {
namespace {

// The hint's line below "PAUSED", the band around it when lit, and the
// panel around both.
constexpr int kHintGap = 10;
constexpr int kBandMargin = 3;
constexpr int kPanelMargin = 8;

int Chars(std::string_view text) {
  return static_cast<int>(text.size());
}

}  // namespace

void DrawPauseSign(Surface& picture, const Sprites& sprites, bool hintLit) {
  DimPicture(picture, kPauseDimShift);
  const int signY = (picture.height - kGlyphH) / 2;
  const int hintX = CentredTextX(picture.width, Chars(kResumeHintText), kSmallGlyphW);
  const int hintY = signY + kGlyphH + kHintGap;
  DrawPanel(picture, hintX - kPanelMargin, signY - kPanelMargin,
            Chars(kResumeHintText) * kSmallGlyphW + 2 * kPanelMargin,
            hintY + kSmallGlyphH + kPanelMargin - (signY - kPanelMargin));
  WriteText(picture, sprites,
            static_cast<std::int16_t>((picture.width - Chars(kPausedText) * kGlyphW) / 2),
            static_cast<std::int16_t>(signY), kPausedText);
  if (hintLit) {
    const Surface band(Chars(kResumeHintText) * kSmallGlyphW + 2 * kBandMargin,
                       kSmallGlyphH + 2 * kBandMargin, kGreen);
    DrawOpaque(picture, band, hintX - kBandMargin, hintY - kBandMargin);
  }
  WriteSmallText(picture, sprites, hintX, hintY, kResumeHintText, hintLit);
}

}  // namespace voltaro
