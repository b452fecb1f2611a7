// The off-screen picture: construction and the clear to black.
#include "gfx/surface.h"

#include <algorithm>

namespace voltaro {

// A negative size makes an empty picture rather than a huge allocation.
Surface::Surface(int w, int h, std::uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

void Surface::Clear() {
  std::fill(pixels.begin(), pixels.end(), kBlack);
}

}  // namespace voltaro
