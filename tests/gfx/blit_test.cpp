// Block transfers against a plain per-pixel reference at every edge and at the
// ends of the int range, and the one-pass masked draw against the two steps.
#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>

#include "tests/gfx/test_sprites.h"

namespace voltaro {
namespace {

using testing::DifferentPixels;
using testing::RandomSurface;

struct Case {
  int x, y, w, h, sx, sy, sw, sh;
};

// Walks every destination pixel and asks where its source would be: obviously
// in bounds, obviously right, and slow.
void Reference(Surface& dst, const Case& c, const Surface& src, RasterOp op) {
  if (c.w <= 0 || c.h <= 0 || c.sw <= 0 || c.sh <= 0) return;
  for (int py = 0; py < dst.height; ++py) {
    for (int px = 0; px < dst.width; ++px) {
      const std::int64_t i = std::int64_t{px} - c.x, j = std::int64_t{py} - c.y;
      if (i < 0 || i >= c.w || j < 0 || j >= c.h) continue;
      const std::int64_t qx = c.sx + i * c.sw / c.w, qy = c.sy + j * c.sh / c.h;
      if (qx < 0 || qx >= src.width || qy < 0 || qy >= src.height) continue;
      const std::uint32_t s = src.At(static_cast<int>(qx), static_cast<int>(qy));
      std::uint32_t& d = dst.At(px, py);
      d = (op == RasterOp::kSrcCopy ? s : op == RasterOp::kSrcErase ? s & ~d : s ^ d) & 0xFFFFFF;
    }
  }
}

// Every edge, wholly outside, the ends of the 16- and 32-bit ranges, empty and
// negative sizes, source rectangles running off the source, then stretching
// (enlarging, shrinking, far out, mirrored source).
TEST(Transfers, MatchThePerPixelReferenceForEveryPlacement) {
  // clang-format off
  const Case cases[] = {
      {-6, -4, 7, 5, 0, 0, 7, 5}, {20, 15, 7, 5, 0, 0, 7, 5}, {-7, 0, 7, 5, 0, 0, 7, 5},
      {0, -5, 7, 5, 0, 0, 7, 5}, {25, 0, 7, 5, 0, 0, 7, 5}, {0, 18, 7, 5, 0, 0, 7, 5},
      {-200, 10, 34, 16, 0, 0, 34, 16}, {3, 3, 7, 5, -2, -1, 7, 5},
      {3, 3, 7, 5, 4, 3, 7, 5}, {3, 3, 7, 5, 9, 0, 7, 5}, {-32768, -32768, 7, 5, 0, 0, 7, 5},
      {32767, 32767, 7, 5, 0, 0, 7, 5}, {-32760, 2, 32767, 5, 0, 0, 32767, 5},
      {INT_MIN, 0, INT_MAX, 5, 0, 0, INT_MAX, 5}, {INT_MAX, 0, INT_MAX, 5, 0, 0, INT_MAX, 5},
      {0, 0, INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX}, {2, 2, 7, 5, INT_MIN, 0, 7, 5},
      {2, 2, 7, 5, INT_MAX, INT_MAX, 7, 5}, {2, 2, 0, 5, 0, 0, 0, 5}, {2, 2, 7, -5, 0, 0, 7, -5},
      {2, 2, INT_MIN, 5, 0, 0, INT_MIN, 5}, {-5, -3, 22, 18, 0, 0, 9, 6}, {1, 1, 4, 3, 0, 0, 9, 6},
      {1, 1, 11, 7, -3, -2, 9, 6}, {INT_MIN, 0, INT_MAX, 9, 0, 0, 9, 6},
      {0, 0, 25, 18, 0, 0, 32767, 32767}, {0, 0, 9, 9, 0, 0, -9, 6}};
  // clang-format on
  std::mt19937 rng(7);
  const Surface src = RandomSurface(9, 6, rng);
  const Surface start = RandomSurface(25, 18, rng);
  for (RasterOp op : {RasterOp::kSrcCopy, RasterOp::kSrcErase, RasterOp::kSrcInvert}) {
    for (const Case& c : cases) {
      for (bool self : {false, true}) {  // within one picture: read as it was before
        Surface expected = start, actual = start;
        Reference(expected, c, self ? Surface(start) : src, op);
        const Surface& from = self ? actual : src;
        if (c.w == c.sw && c.h == c.sh) {
          BitBlt(actual, c.x, c.y, c.w, c.h, from, c.sx, c.sy, op);
        } else {
          StretchBlt(actual, c.x, c.y, c.w, c.h, from, c.sx, c.sy, c.sw, c.sh, op);
        }
        EXPECT_EQ(DifferentPixels(actual, expected), 0)
            << "op " << static_cast<int>(op) << " case " << (&c - cases) << " self " << self;
      }
    }
  }
}

// Opaque pixels replace any background, transparent ones leave it; twice is once.
TEST(MaskedDraw, TruthTableOverBlackGreenAndOtherBackgrounds) {
  for (std::uint32_t background : {kBlack, kGreen, kWhite, 0x123456U, 0xFF0000U}) {
    for (auto [mask, image] : {std::pair{kBlack, kBlack}, {kBlack, kGreen}, {kWhite, kWhite}}) {
      const std::uint32_t expected = mask == kWhite ? background : image;
      Surface s(1, 1, background);
      for (int times = 1; times <= 2; ++times) {
        DrawMasked(s, Surface(1, 1, mask), Surface(1, 1, image), 0, 0, 1, 1, 0, 0);
        EXPECT_EQ(s.At(0, 0), expected) << std::hex << background << " " << image << " " << times;
      }
    }
  }
}

// Any pixels at all (not only the artwork's convention), any rectangle, masks
// and images sharing bits, of one size or of different sizes.
TEST(MaskedDraw, OnePassEqualsTwoStepsOnRandomInput) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> size(1, 24), pos(-40, 70);
  for (int round = 0; round < 3000; ++round) {
    const int sw = size(rng), sh = size(rng);
    const Surface mask = RandomSurface(sw, sh, rng);
    const bool same = round % 3 == 1;
    const Surface image =
        round % 3 == 0 ? mask : RandomSurface(same ? sw : sh, same ? sh : sw, rng);
    const Surface start = RandomSurface(50, 30, rng);
    const int w = size(rng), h = size(rng), sx = pos(rng) / 4, sy = pos(rng) / 4;
    const int x = pos(rng), y = pos(rng);
    Surface one = start, two = start;
    DrawMasked(one, mask, image, sx, sy, w, h, x, y);
    DrawMaskedTwoStep(two, mask, image, sx, sy, w, h, x, y);
    ASSERT_EQ(DifferentPixels(one, two), 0) << "round " << round;
  }
}

}  // namespace
}  // namespace voltaro
