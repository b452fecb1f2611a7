// The off-screen picture: construction and the clear to black.
#include "surface.h"

#include <algorithm>

namespace voltaro {

Surface::Surface(int w, int h, std::uint32_t fill)
    : width(w),
      height(h),
      pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

void Surface::Clear() {
  std::fill(pixels.begin(), pixels.end(), kBlack);
}

}  // namespace voltaro
