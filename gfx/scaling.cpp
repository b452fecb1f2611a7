// The playfield's placement in the client area, its nearest-neighbour
// magnification, the filling enlargement and the frame round it; see
// scaling.h.
#include "gfx/scaling.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace voltaro {
namespace {

// One column (or row) of a fill: the two playfield pixels it lies between and
// the second one's weight in 256ths.
struct Tap {
  int a = 0;
  int b = 0;
  std::uint32_t weight = 0;
};

// Output pixel i of `size` is filtered linearly from the playfield of `field`
// pixels enlarged by the whole `scale`: its centre lies at
// (i + 0.5) * field * scale / size - 0.5 in that picture, between two of its
// pixels, which are one playfield pixel except across a block's edge.
Tap FillTap(int i, int size, int field, int scale) {
  const std::int64_t enlarged = std::int64_t{field} * scale;
  const std::int64_t num = (2 * std::int64_t{i} + 1) * enlarged - size;
  const std::int64_t den = 2 * std::int64_t{size};
  const std::int64_t below = num >= 0 ? num / den : -((den - 1 - num) / den);
  const int a = static_cast<int>(std::clamp<std::int64_t>(below, 0, enlarged - 1) / scale);
  const int b = static_cast<int>(std::clamp<std::int64_t>(below + 1, 0, enlarged - 1) / scale);
  if (a == b) return {a, b, 0};
  return {a, b, static_cast<std::uint32_t>((num - below * den) * 256 / den)};
}

// 0x00RRGGBB colours mixed, `weight` 256ths of the second.
std::uint32_t Blend(std::uint32_t first, std::uint32_t second, std::uint32_t weight) {
  const std::uint32_t keep = 256 - weight;
  const std::uint32_t redBlue = ((first & 0xFF00FF) * keep + (second & 0xFF00FF) * weight) >> 8;
  const std::uint32_t green = ((first & 0x00FF00) * keep + (second & 0x00FF00) * weight) >> 8;
  return (redBlue & 0xFF00FF) | (green & 0x00FF00);
}

// Two lines mixed into a third, `weight` 256ths of the second, two pixels at
// a time: each 8-bit channel spread into a 16-bit lane of a 64-bit word, where
// its weighted sum (at most 255 * 256) cannot spill into the next.
void BlendLines(const std::uint32_t* first, const std::uint32_t* second, std::uint32_t* out,
                std::size_t count, std::uint32_t weight) {
  constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FF;
  const std::uint64_t keep = 256 - weight;
  std::size_t i = 0;
  for (; i + 2 <= count; i += 2) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, first + i, sizeof a);
    std::memcpy(&b, second + i, sizeof b);
    const std::uint64_t redBlue = ((a & kLanes) * keep + (b & kLanes) * weight) >> 8 & kLanes;
    const std::uint64_t green = ((a >> 8 & kLanes) * keep + (b >> 8 & kLanes) * weight) & ~kLanes;
    const std::uint64_t mixed = redBlue | green;
    std::memcpy(out + i, &mixed, sizeof mixed);
  }
  if (i < count) out[i] = Blend(first[i], second[i], weight);
}

std::uint32_t* RowOf(std::uint32_t* target, int y, int pitchBytes) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(target) +
                                          static_cast<std::ptrdiff_t>(y) * pitchBytes);
}

void SmoothFill(const Surface& picture, const PlayfieldPlacement& placement, std::uint32_t* target,
                int targetW, int targetH, int pitchBytes) {
  const int scale = std::max(1, placement.scale);
  const int x0 = std::max(0, placement.x);
  const int x1 = std::min(targetW, placement.x + placement.width);
  const int y0 = std::max(0, placement.y);
  const int y1 = std::min(targetH, placement.y + placement.height);
  if (x0 >= x1 || y0 >= y1) return;
  const auto count = static_cast<std::size_t>(x1 - x0);
  std::vector<Tap> columns(count);
  for (std::size_t i = 0; i < count; ++i) {
    const int x = x0 + static_cast<int>(i);
    columns[i] = FillTap(x - placement.x, placement.width, picture.width, scale);
  }
  // Each playfield row filtered across, kept while the rows below need it.
  std::vector<std::uint32_t> upper(count);
  std::vector<std::uint32_t> lower(count);
  int upperRow = -1;
  int lowerRow = -1;
  auto across = [&](int srcY, std::vector<std::uint32_t>& line) {
    const std::uint32_t* in = picture.pixels.data() + static_cast<std::size_t>(srcY) *
                                                          static_cast<std::size_t>(picture.width);
    for (std::size_t i = 0; i < count; ++i) {
      const Tap& tap = columns[i];
      line[i] = tap.weight == 0 ? in[tap.a] : Blend(in[tap.a], in[tap.b], tap.weight);
    }
  };
  for (int y = y0; y < y1; ++y) {
    const Tap rows = FillTap(y - placement.y, placement.height, picture.height, scale);
    if (rows.a != upperRow) {
      if (rows.a == lowerRow) {
        upper.swap(lower);
        std::swap(upperRow, lowerRow);
      } else {
        across(rows.a, upper);
        upperRow = rows.a;
      }
    }
    std::uint32_t* out = RowOf(target, y, pitchBytes) + x0;
    if (rows.weight == 0) {
      std::memcpy(out, upper.data(), count * sizeof(std::uint32_t));
      continue;
    }
    if (rows.b != lowerRow) {
      across(rows.b, lower);
      lowerRow = rows.b;
    }
    BlendLines(upper.data(), lower.data(), out, count, rows.weight);
  }
}

}  // namespace

PlayfieldPlacement PlacePlayfield(int clientW, int clientH, int fieldW, int fieldH,
                                  Scaling scaling) {
  PlayfieldPlacement placement;
  if (fieldW > 0 && fieldH > 0) {
    placement.scale = std::max(1, std::min(clientW / fieldW, clientH / fieldH));
  }
  placement.width = fieldW * placement.scale;
  placement.height = fieldH * placement.scale;
  if (scaling == Scaling::kFill && fieldW > 0 && fieldH > 0 && clientW >= fieldW &&
      clientH >= fieldH) {
    // The side that runs out first is filled; the other keeps the shape.
    const std::int64_t w = clientW;
    const std::int64_t h = clientH;
    if (w * fieldH <= h * fieldW) {
      placement.width = clientW;
      placement.height = static_cast<int>((w * fieldH + fieldW / 2) / fieldW);
    } else {
      placement.height = clientH;
      placement.width = static_cast<int>((h * fieldW + fieldH / 2) / fieldH);
    }
  }
  // An odd leftover (or cut) puts its extra pixel on the right and the bottom.
  placement.x = (clientW - placement.width) / 2;
  placement.y = (clientH - placement.height) / 2;
  return placement;
}

ScreenRect PlacedPart(const PlayfieldPlacement& placement, int fieldW, int fieldH, int x, int y,
                      int w, int h) {
  const int scale = placement.scale;
  if (placement.width == fieldW * scale && placement.height == fieldH * scale) {
    return {placement.x + x * scale, placement.y + y * scale, w * scale, h * scale};
  }
  // Pixel i of the field covers [i * size / field, (i + 1) * size / field) of
  // the screen; the smoothing reaches one pixel further each way.
  auto first = [](int i, int size, int field) {
    return std::max(0, static_cast<int>(std::int64_t{i} * size / field) - 1);
  };
  auto end = [](int i, int size, int field) {
    return std::min(size, static_cast<int>((std::int64_t{i} * size + field - 1) / field) + 1);
  };
  const int x0 = first(x, placement.width, fieldW);
  const int y0 = first(y, placement.height, fieldH);
  return {placement.x + x0, placement.y + y0, end(x + w, placement.width, fieldW) - x0,
          end(y + h, placement.height, fieldH) - y0};
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

void Enlarge(const Surface& picture, const PlayfieldPlacement& placement, std::uint32_t* target,
             int targetW, int targetH, int pitchBytes) {
  if (placement.width == picture.width * placement.scale &&
      placement.height == picture.height * placement.scale) {
    Magnify(picture, placement, target, targetW, targetH, pitchBytes);
  } else {
    SmoothFill(picture, placement, target, targetW, targetH, pitchBytes);
  }
}

void DrawMarginFrame(const PlayfieldPlacement& placement, std::uint32_t* target, int targetW,
                     int targetH, int pitchBytes) {
  const int left = placement.x - kFrameWidth;
  const int right = placement.x + placement.width + kFrameWidth;
  const int top = placement.y - kFrameWidth;
  const int bottom = placement.y + placement.height + kFrameWidth;
  auto span = [&](std::uint32_t* row, int from, int to) {
    from = std::max(0, from);
    to = std::min(targetW, to);
    if (from < to) std::fill(row + from, row + to, kFrameColour);
  };
  for (int y = std::max(0, top); y < std::min(targetH, bottom); ++y) {
    std::uint32_t* row = RowOf(target, y, pitchBytes);
    if (y < placement.y || y >= placement.y + placement.height) {
      span(row, left, right);
    } else {
      span(row, left, placement.x);
      span(row, placement.x + placement.width, right);
    }
  }
}

}  // namespace voltaro
