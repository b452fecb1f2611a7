// Block transfers with clipping. The clipping works in 64-bit arithmetic so
// that no combination of int positions and sizes can overflow; inside the
// clipped rectangle the row loops are plain and branch-free so the compiler can
// vectorise them, which keeps a whole frame well inside its time budget.
#include "gfx/blit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace voltaro {
namespace {

constexpr std::uint32_t kColourBits = 0xFFFFFF;

// The part of a same-size transfer that lies inside both surfaces, as offsets
// into the destination and source.
struct Clip {
  int dx = 0;
  int dy = 0;
  int sx = 0;
  int sy = 0;
  int w = 0;
  int h = 0;
};

// One axis: the offsets k in [0, len) with 0 <= d + k < dLimit and
// 0 <= s + k < sLimit. Returns false if there are none.
bool ClipAxis(std::int64_t d, std::int64_t s, std::int64_t len, std::int64_t dLimit,
              std::int64_t sLimit, int& dOut, int& sOut, int& lenOut) {
  const std::int64_t first = std::max({std::int64_t{0}, -d, -s});
  const std::int64_t last = std::min({len, dLimit - d, sLimit - s});
  if (last <= first) return false;
  dOut = static_cast<int>(d + first);
  sOut = static_cast<int>(s + first);
  lenOut = static_cast<int>(last - first);
  return true;
}

bool ClipTransfer(const Surface& dst, const Surface& src, int x, int y, int w, int h, int sx,
                  int sy, Clip& clip) {
  if (w <= 0 || h <= 0) return false;
  return ClipAxis(x, sx, w, dst.width, src.width, clip.dx, clip.sx, clip.w) &&
         ClipAxis(y, sy, h, dst.height, src.height, clip.dy, clip.sy, clip.h);
}

const std::uint32_t* PixelPtr(const Surface& s, int x, int y) {
  return s.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
         static_cast<std::size_t>(x);
}

std::uint32_t* PixelPtr(Surface& s, int x, int y) {
  return s.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
         static_cast<std::size_t>(x);
}

// The rows never overlap (a transfer within one picture works from a copy), so
// the pointers are declared unaliased and the loops vectorise without checks.
template <RasterOp op>
void CombineRow(std::uint32_t* __restrict d, const std::uint32_t* __restrict s, int n) {
  for (int i = 0; i < n; ++i) {
    if constexpr (op == RasterOp::kSrcCopy) {
      d[i] = s[i] & kColourBits;
    } else if constexpr (op == RasterOp::kSrcErase) {
      d[i] = s[i] & ~d[i] & kColourBits;
    } else {
      d[i] = (s[i] ^ d[i]) & kColourBits;
    }
  }
}

void MaskRow(std::uint32_t* __restrict d, const std::uint32_t* __restrict m,
             const std::uint32_t* __restrict im, int n) {
  for (int i = 0; i < n; ++i) d[i] = ((m[i] & ~d[i]) ^ im[i]) & kColourBits;
}

template <RasterOp op>
void CombineRect(Surface& dst, const Surface& src, const Clip& c) {
  for (int row = 0; row < c.h; ++row) {
    std::uint32_t* d = PixelPtr(dst, c.dx, c.dy + row);
    const std::uint32_t* s = PixelPtr(src, c.sx, c.sy + row);
    CombineRow<op>(d, s, c.w);
  }
}

void Combine(Surface& dst, const Surface& src, const Clip& c, RasterOp op) {
  switch (op) {
    case RasterOp::kSrcCopy:
      CombineRect<RasterOp::kSrcCopy>(dst, src, c);
      break;
    case RasterOp::kSrcErase:
      CombineRect<RasterOp::kSrcErase>(dst, src, c);
      break;
    case RasterOp::kSrcInvert:
      CombineRect<RasterOp::kSrcInvert>(dst, src, c);
      break;
  }
}

// One destination row of a stretching transfer; columns[k] is the source
// column of destination pixel k, or -1 where it lies outside the source.
template <RasterOp op>
void StretchRow(std::uint32_t* d, const std::uint32_t* sourceRow, const std::vector<int>& columns) {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (columns[k] < 0) continue;
    const std::uint32_t s = sourceRow[columns[k]];
    if constexpr (op == RasterOp::kSrcCopy) {
      d[k] = s & kColourBits;
    } else if constexpr (op == RasterOp::kSrcErase) {
      d[k] = s & ~d[k] & kColourBits;
    } else {
      d[k] = (s ^ d[k]) & kColourBits;
    }
  }
}

}  // namespace

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  Clip clip;
  if (!ClipTransfer(dst, src, x, y, w, h, sx, sy, clip)) return;
  if (&dst == &src) {
    // A transfer within one picture reads the picture as it was before.
    const Surface before = src;
    Combine(dst, before, clip, op);
    return;
  }
  Combine(dst, src, clip, op);
}

void StretchBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                int sw, int sh, RasterOp op) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  if (&dst == &src) {
    const Surface before = src;
    StretchBlt(dst, x, y, w, h, before, sx, sy, sw, sh, op);
    return;
  }
  // Destination offsets i inside the destination; the source of each is
  // looked up and skipped when it falls outside the source.
  const std::int64_t iFirst = std::max<std::int64_t>(0, -std::int64_t{x});
  const std::int64_t iLast = std::min<std::int64_t>(w, std::int64_t{dst.width} - x);
  const std::int64_t jFirst = std::max<std::int64_t>(0, -std::int64_t{y});
  const std::int64_t jLast = std::min<std::int64_t>(h, std::int64_t{dst.height} - y);
  if (iLast <= iFirst || jLast <= jFirst) return;

  std::vector<int> sourceColumn;  // -1 where the source lies outside
  sourceColumn.reserve(static_cast<std::size_t>(iLast - iFirst));
  for (std::int64_t i = iFirst; i < iLast; ++i) {
    const std::int64_t column = sx + i * sw / w;
    sourceColumn.push_back(column >= 0 && column < src.width ? static_cast<int>(column) : -1);
  }
  const auto firstX = static_cast<int>(x + iFirst);
  for (std::int64_t j = jFirst; j < jLast; ++j) {
    const std::int64_t row = sy + j * sh / h;
    if (row < 0 || row >= src.height) continue;
    std::uint32_t* d = PixelPtr(dst, firstX, static_cast<int>(y + j));
    const std::uint32_t* s = PixelPtr(src, 0, static_cast<int>(row));
    switch (op) {
      case RasterOp::kSrcCopy:
        StretchRow<RasterOp::kSrcCopy>(d, s, sourceColumn);
        break;
      case RasterOp::kSrcErase:
        StretchRow<RasterOp::kSrcErase>(d, s, sourceColumn);
        break;
      case RasterOp::kSrcInvert:
        StretchRow<RasterOp::kSrcInvert>(d, s, sourceColumn);
        break;
    }
  }
}

void DrawOpaque(Surface& dst, const Surface& sprite, int x, int y) {
  BitBlt(dst, x, y, sprite.width, sprite.height, sprite, 0, 0, RasterOp::kSrcCopy);
}

void DrawMaskedTwoStep(Surface& dst, const Surface& mask, const Surface& image, int sx, int sy,
                       int w, int h, int x, int y) {
  BitBlt(dst, x, y, w, h, mask, sx, sy, RasterOp::kSrcErase);
  BitBlt(dst, x, y, w, h, image, sx, sy, RasterOp::kSrcInvert);
}

void DrawMasked(Surface& dst, const Surface& mask, const Surface& image, int sx, int sy, int w,
                int h, int x, int y) {
  // One pass gives the two steps' result only where both steps touch the same
  // pixels, which is so whenever mask and image have one size and neither is
  // the destination; anything else takes the two plain steps.
  if (mask.width != image.width || mask.height != image.height || &dst == &mask || &dst == &image) {
    DrawMaskedTwoStep(dst, mask, image, sx, sy, w, h, x, y);
    return;
  }
  Clip c;
  if (!ClipTransfer(dst, mask, x, y, w, h, sx, sy, c)) return;
  for (int row = 0; row < c.h; ++row) {
    std::uint32_t* d = PixelPtr(dst, c.dx, c.dy + row);
    const std::uint32_t* m = PixelPtr(mask, c.sx, c.sy + row);
    const std::uint32_t* im = PixelPtr(image, c.sx, c.sy + row);
    MaskRow(d, m, im, c.w);
  }
}

void DrawMasked(Surface& dst, const SpritePair& sprite, int x, int y) {
  DrawMasked(dst, sprite.mask, sprite.image, 0, 0, sprite.mask.width, sprite.mask.height, x, y);
}

}  // namespace voltaro
