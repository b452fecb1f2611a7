// The dimmed picture and the half-size text; see cover_text.h.
#include "gfx/cover_text.h"

#include <algorithm>
#include <utility>

#include "gfx/blit.h"
#include "gfx/text.h"

namespace voltaro {

void DimPicture(Surface& picture, int shift) {
  const std::uint32_t low = 0xFFU >> shift;
  const std::uint32_t kept = (low << 16) | (low << 8) | low;
  for (std::uint32_t& pixel : picture.pixels) pixel = (pixel >> shift) & kept;
}

void DrawPanel(Surface& picture, int x, int y, int w, int h) {
  DrawOpaque(picture, Surface(w, h, kGreen), x, y);
  DrawOpaque(picture, Surface(w - 2, h - 2, kBlack), x + 1, y + 1);
}

void WriteSmallText(Surface& picture, const Sprites& sprites, int x, int y, std::string_view text,
                    bool black) {
  const auto x16 = static_cast<std::int16_t>(std::clamp(x, -32768, 32767));
  const auto y16 = static_cast<std::int16_t>(std::clamp(y, -32768, 32767));
  if (!black) {
    WriteTextSize(picture, sprites, x16, y16, 0.5F, text);
    return;
  }
  // The mask is black in the letters and white around them, the way an image
  // of black letters is kept: drawn as both, it leaves black letters.
  std::string upper(text);
  for (char& ch : upper) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  DrawStringScaled(picture, x16, y16, sprites.font.mask, sprites.font.mask, kGlyphW, kGlyphH, 0.5F,
                   upper);
}

int CentredTextX(int width, int chars, int glyphW) {
  return (width - chars * glyphW) / 2;
}

std::vector<std::string> WrapWords(std::string_view text, int width) {
  std::vector<std::string> lines;
  if (width <= 0) return lines;
  const auto limit = static_cast<std::size_t>(width);
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', at), text.size());
    std::string_view word = text.substr(at, end - at);
    at = end;
    if (!line.empty() && line.size() + 1 + word.size() <= limit) {
      line += ' ';
      line += word;
      continue;
    }
    if (!line.empty()) lines.push_back(std::exchange(line, {}));
    while (word.size() > limit) {
      lines.emplace_back(word.substr(0, limit));
      word.remove_prefix(limit);
    }
    line = word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace voltaro
