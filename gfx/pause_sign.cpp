// The pause sign; see pause_sign.h.
#include "gfx/pause_sign.h"

#include <cstdint>
#include <string_view>

#include "gfx/sprites.h"
#include "gfx/text.h"

namespace voltaro {

void DrawPauseSign(Surface& picture, const Sprites& sprites) {
  const auto chars = static_cast<int>(std::string_view(kPausedText).size());
  WriteText(picture, sprites, static_cast<std::int16_t>((picture.width - chars * kGlyphW) / 2),
            static_cast<std::int16_t>((picture.height - kGlyphH) / 2), kPausedText);
}

}  // namespace voltaro
