// Icon pixels with alpha from the mask-and-image pair; see icon_pixels.h.
#include "gfx/icon_pixels.h"

#include <cstddef>

namespace voltaro {

std::vector<std::uint32_t> IconArgb(const SpritePair& icon, int scale) {
  const int width = icon.image.width * scale;
  const int height = icon.image.height * scale;
  std::vector<std::uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int ix = x / scale, iy = y / scale;
      const bool opaque = icon.mask.At(ix, iy) == kBlack;
      pixels.push_back(opaque ? 0xFF000000u | (icon.image.At(ix, iy) & 0xFFFFFFu) : 0u);
    }
  }
  return pixels;
}

}  // namespace voltaro
