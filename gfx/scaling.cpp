// The playfield's placement in the client area and its nearest-neighbour
// magnification; see scaling.h.
#include "gfx/scaling.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace voltaro {

PlayfieldPlacement PlacePlayfield(int clientW, int clientH, int fieldW, int fieldH) {
  PlayfieldPlacement placement;
  if (fieldW > 0 && fieldH > 0) {
    placement.scale = std::max(1, std::min(clientW / fieldW, clientH / fieldH));
  }
  placement.width = fieldW * placement.scale;
  placement.height = fieldH * placement.scale;
  // An odd leftover (or cut) puts its extra pixel on the right and the bottom.
  placement.x = (clientW - placement.width) / 2;
  placement.y = (clientH - placement.height) / 2;
  return placement;
}

int FittingScale(int wanted, int usableW, int usableH, int fieldW, int fieldH) {
  int scale = std::clamp(wanted, kMinScale, kMaxScale);
  if (fieldW <= 0 || fieldH <= 0) return scale;
  while (scale > 1 && (fieldW * scale > usableW || fieldH * scale > usableH)) --scale;
  return scale;
}

void Magnify(const Surface& picture, const PlayfieldPlacement& placement, std::uint32_t* target,
             int targetW, int targetH, int pitchBytes) {
  const int scale = std::max(1, placement.scale);
  const int x0 = std::max(0, placement.x);
  const int x1 = std::min(targetW, placement.x + picture.width * scale);
  const int y0 = std::max(0, placement.y);
  const int y1 = std::min(targetH, placement.y + picture.height * scale);
  if (x0 >= x1 || y0 >= y1) return;
  auto row = [&](int y) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(target) +
                                            static_cast<std::ptrdiff_t>(y) * pitchBytes);
  };
  const int srcX0 = (x0 - placement.x) / scale;
  const std::size_t rowBytes = static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t);
  int lastSrcY = -1;
  for (int y = y0; y < y1; ++y) {
    const int srcY = (y - placement.y) / scale;
    std::uint32_t* out = row(y) + x0;
    if (srcY == lastSrcY) {
      // The rows of one block are alike: copy the one above.
      std::memcpy(out, row(y - 1) + x0, rowBytes);
      continue;
    }
    lastSrcY = srcY;
    const std::uint32_t* in = picture.pixels.data() + static_cast<std::size_t>(srcY) *
                                                          static_cast<std::size_t>(picture.width);
    if (scale == 1) {
      std::memcpy(out, in + srcX0, rowBytes);
      continue;
    }
    // The first block may be cut by the left edge, the last by the right one.
    int srcX = srcX0;
    int left = scale - (x0 - placement.x) % scale;
    for (int x = x0; x < x1; ++x) {
      *out++ = in[srcX];
      if (--left == 0) {
        ++srcX;
        left = scale;
      }
    }
  }
}

}  // namespace voltaro
