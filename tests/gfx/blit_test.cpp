// Block transfers: the raster operations bit by bit, clipping at every edge
// and at the ends of the int range (against a plain per-pixel reference that
// walks the destination), nearest-neighbour stretching, and the one-pass masked
// draw against the two-step reference.
#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "test_sprites.h"

namespace voltaro {
namespace {

using testing::DifferentPixels;

std::uint32_t Apply(std::uint32_t d, std::uint32_t s, RasterOp op) {
  switch (op) {
    case RasterOp::kSrcCopy:
      return s & 0xFFFFFF;
    case RasterOp::kSrcErase:
      return s & ~d & 0xFFFFFF;
    case RasterOp::kSrcInvert:
      return (s ^ d) & 0xFFFFFF;
  }
  return d;
}

// Walks every destination pixel and asks where its source would be: obviously
// in bounds, obviously right, and slow.
void ReferenceStretch(Surface& dst, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                      const Surface& src, std::int64_t sx, std::int64_t sy, std::int64_t sw,
                      std::int64_t sh, RasterOp op) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  const Surface before = src;
  for (int py = 0; py < dst.height; ++py) {
    for (int px = 0; px < dst.width; ++px) {
      const std::int64_t i = px - x;
      const std::int64_t j = py - y;
      if (i < 0 || i >= w || j < 0 || j >= h) continue;
      const std::int64_t qx = sx + i * sw / w;
      const std::int64_t qy = sy + j * sh / h;
      if (qx < 0 || qx >= src.width || qy < 0 || qy >= src.height) continue;
      dst.At(px, py) =
          Apply(dst.At(px, py), before.At(static_cast<int>(qx), static_cast<int>(qy)), op);
    }
  }
}

Surface RandomSurface(int w, int h, std::mt19937& rng) {
  Surface s(w, h);
  for (auto& p : s.pixels) p = rng() & 0xFFFFFF;
  return s;
}

TEST(RasterOps, CombineBitByBitOnTheColour) {
  struct Case {
    RasterOp op;
    std::uint32_t source, dest, expected;
  };
  const Case cases[] = {
      {RasterOp::kSrcCopy, 0x123456, 0xABCDEF, 0x123456},
      {RasterOp::kSrcErase, 0xFFFFFF, 0x00FF00, 0xFF00FF},  // white mask inverts
      {RasterOp::kSrcErase, 0x000000, 0x00FF00, 0x000000},  // black mask clears
      {RasterOp::kSrcErase, 0xF0F0F0, 0x3C3C3C, 0xC0C0C0},
      {RasterOp::kSrcInvert, 0x00FF00, 0x000000, 0x00FF00},
      {RasterOp::kSrcInvert, 0xFFFFFF, 0xFF00FF, 0x00FF00},
      {RasterOp::kSrcInvert, 0x0F0F0F, 0x00FF00, 0x0FF00F},
  };
  for (const Case& c : cases) {
    Surface src(1, 1, c.source);
    Surface dst(1, 1, c.dest);
    BitBlt(dst, 0, 0, 1, 1, src, 0, 0, c.op);
    EXPECT_EQ(dst.At(0, 0), c.expected) << static_cast<int>(c.op) << " " << std::hex << c.source;
  }
}

// Positions and sizes at every edge, wholly outside, and at the ends of the
// 16-bit and 32-bit ranges; each must match the reference pixel for pixel.
struct ClipCase {
  int x, y, w, h, sx, sy;
};

const ClipCase kClipCases[] = {
    {0, 0, 7, 5, 0, 0},
    {-3, 0, 7, 5, 0, 0},
    {0, -2, 7, 5, 0, 0},
    {20, 0, 7, 5, 0, 0},
    {0, 13, 7, 5, 0, 0},
    {-6, -4, 7, 5, 0, 0},
    {-7, 0, 7, 5, 0, 0},
    {24, 15, 7, 5, 0, 0},
    {25, 0, 7, 5, 0, 0},
    {-200, 10, 34, 16, 0, 0},
    {-100, 3, 10, 10, 0, 0},
    {3, 3, 7, 5, -2, -1},
    {3, 3, 7, 5, 4, 3},
    {3, 3, 7, 5, 9, 0},
    {0, 0, 100, 100, 0, 0},
    {-32768, -32768, 7, 5, 0, 0},
    {32767, 32767, 7, 5, 0, 0},
    {-32760, 2, 32767, 5, 0, 0},
    {INT_MIN, 0, INT_MAX, 5, 0, 0},
    {INT_MAX, 0, INT_MAX, 5, 0, 0},
    {0, 0, INT_MAX, INT_MAX, 0, 0},
    {2, 2, 7, 5, INT_MIN, 0},
    {2, 2, 7, 5, INT_MAX, INT_MAX},
    {2, 2, 7, 5, -INT_MAX, 0},
    {2, 2, 0, 5, 0, 0},
    {2, 2, 7, -5, 0, 0},
    {2, 2, INT_MIN, 5, 0, 0},
};

TEST(BitBltClipping, MatchesThePerPixelReferenceForEveryPlacement) {
  std::mt19937 rng(7);
  const Surface src = RandomSurface(9, 6, rng);
  const Surface start = RandomSurface(25, 18, rng);
  for (RasterOp op : {RasterOp::kSrcCopy, RasterOp::kSrcErase, RasterOp::kSrcInvert}) {
    for (const ClipCase& c : kClipCases) {
      Surface expected = start;
      ReferenceStretch(expected, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.w, c.h, op);
      Surface actual = start;
      BitBlt(actual, c.x, c.y, c.w, c.h, src, c.sx, c.sy, op);
      EXPECT_EQ(DifferentPixels(actual, expected), 0)
          << "op " << static_cast<int>(op) << " at " << c.x << "," << c.y << " size " << c.w << "x"
          << c.h << " from " << c.sx << "," << c.sy;
    }
  }
}

TEST(BitBltClipping, WhollyOutsideChangesNothing) {
  std::mt19937 rng(3);
  const Surface start = RandomSurface(250, 40, rng);
  const Sprites sprites = testing::MakeTestSprites();
  struct Case {
    const SpritePair* sprite;
    int x, y;
  };
  const Case cases[] = {{&sprites.picEnemy, -200, 10}, {&sprites.picCoin, -100, 5},
                        {&sprites.picCoin, 250, 5},    {&sprites.picEnemy, 0, 40},
                        {&sprites.picEnemy, 0, -16},   {&sprites.picBall, -34, 0}};
  for (const Case& c : cases) {
    Surface s = start;
    DrawMasked(s, *c.sprite, c.x, c.y);
    EXPECT_EQ(DifferentPixels(s, start), 0) << c.x << "," << c.y;
  }
}

TEST(BitBlt, WithinOnePictureReadsThePictureAsItWas) {
  Surface s(6, 1);
  for (int x = 0; x < 6; ++x) s.At(x, 0) = static_cast<std::uint32_t>(x + 1);
  BitBlt(s, 1, 0, 5, 1, s, 0, 0, RasterOp::kSrcCopy);  // overlapping shift right
  const std::vector<std::uint32_t> expected = {1, 1, 2, 3, 4, 5};
  EXPECT_EQ(s.pixels, expected);
}

TEST(StretchBlt, MatchesThePerPixelReference) {
  struct Case {
    int x, y, w, h, sx, sy, sw, sh;
  };
  const Case cases[] = {
      {0, 0, 18, 12, 0, 0, 9, 6},
      {-5, -3, 22, 18, 0, 0, 9, 6},
      {20, 10, 22, 18, 0, 0, 9, 6},
      {1, 1, 4, 3, 0, 0, 9, 6},
      {1, 1, 11, 7, 2, 1, 7, 5},
      {1, 1, 11, 7, -3, -2, 9, 6},
      {1, 1, 11, 7, 5, 3, 9, 6},
      {INT_MIN, 0, INT_MAX, 9, 0, 0, 9, 6},
      {-1000000, 0, 2000000, 9, 0, 0, 9, 6},
      {0, 0, 25, 18, 0, 0, 32767, 32767},
      {0, 0, 0, 9, 0, 0, 9, 6},
      {0, 0, 9, 9, 0, 0, 0, 6},
      {0, 0, 9, 9, 0, 0, -9, 6},
  };
  std::mt19937 rng(11);
  const Surface src = RandomSurface(9, 6, rng);
  const Surface start = RandomSurface(25, 18, rng);
  for (RasterOp op : {RasterOp::kSrcCopy, RasterOp::kSrcErase, RasterOp::kSrcInvert}) {
    for (const Case& c : cases) {
      Surface expected = start;
      ReferenceStretch(expected, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.sw, c.sh, op);
      Surface actual = start;
      StretchBlt(actual, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.sw, c.sh, op);
      EXPECT_EQ(DifferentPixels(actual, expected), 0)
          << "op " << static_cast<int>(op) << " at " << c.x << "," << c.y << " size " << c.w << "x"
          << c.h;
    }
  }
}

TEST(StretchBlt, DoublingRepeatsEveryPixelTwiceEachWay) {
  Surface src(2, 2);
  src.pixels = {1, 2, 3, 4};
  Surface dst(4, 4, 0xABCDEF);
  StretchBlt(dst, 0, 0, 4, 4, src, 0, 0, 2, 2, RasterOp::kSrcCopy);
  const std::vector<std::uint32_t> expected = {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4};
  EXPECT_EQ(dst.pixels, expected);
}

// The masked draw over backgrounds of every kind: black and green opaque
// pixels replace the background, transparent ones leave it as it was.
TEST(MaskedDraw, TruthTableOverBlackGreenAndOtherBackgrounds) {
  const std::uint32_t backgrounds[] = {kBlack, kGreen, kWhite, 0x123456, 0xFF0000};
  struct Pixel {
    std::uint32_t mask, image;
    bool transparent;
  };
  const Pixel pixels[] = {{kBlack, kBlack, false}, {kBlack, kGreen, false}, {kWhite, kWhite, true}};
  for (std::uint32_t background : backgrounds) {
    for (const Pixel& p : pixels) {
      const Surface mask(1, 1, p.mask);
      const Surface image(1, 1, p.image);
      Surface one(1, 1, background);
      DrawMasked(one, mask, image, 0, 0, 1, 1, 0, 0);
      Surface two(1, 1, background);
      DrawMaskedTwoStep(two, mask, image, 0, 0, 1, 1, 0, 0);
      const std::uint32_t expected = p.transparent ? background : p.image;
      EXPECT_EQ(one.At(0, 0), expected) << std::hex << background << " " << p.image;
      EXPECT_EQ(two.At(0, 0), expected) << std::hex << background << " " << p.image;
    }
  }
}

TEST(MaskedDraw, DrawingTwiceEqualsDrawingOnce) {
  const Sprites sprites = testing::MakeTestSprites();
  std::mt19937 rng(5);
  const Surface start = RandomSurface(60, 40, rng);
  for (const SpritePair* sprite : {&sprites.picBall, &sprites.picCoin, &sprites.picArrow}) {
    Surface once = start;
    DrawMasked(once, *sprite, 7, 5);
    Surface twice = once;
    DrawMasked(twice, *sprite, 7, 5);
    EXPECT_EQ(DifferentPixels(once, twice), 0);
  }
}

// The one-pass draw must leave every pixel exactly as the two transfers do,
// for any pixels at all (not only the artwork's convention) and any rectangle,
// including source rectangles that run off the sprite.
TEST(MaskedDraw, OnePassEqualsTwoStepsOnRandomInput) {
  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> size(1, 24);
  std::uniform_int_distribution<int> pos(-40, 70);
  for (int round = 0; round < 3000; ++round) {
    const int sw = size(rng);
    const int sh = size(rng);
    const Surface mask = RandomSurface(sw, sh, rng);
    Surface image = RandomSurface(sw, sh, rng);
    if (round % 3 == 0) image = mask;  // masks and images sharing bits
    const Surface start = RandomSurface(50, 30, rng);
    const int w = size(rng);
    const int h = size(rng);
    const int sx = pos(rng) / 4;
    const int sy = pos(rng) / 4;
    const int x = pos(rng);
    const int y = pos(rng);
    Surface one = start;
    DrawMasked(one, mask, image, sx, sy, w, h, x, y);
    Surface two = start;
    DrawMaskedTwoStep(two, mask, image, sx, sy, w, h, x, y);
    ASSERT_EQ(DifferentPixels(one, two), 0) << "round " << round << " rect " << sx << "," << sy
                                            << " " << w << "x" << h << " at " << x << "," << y;
  }
}

TEST(MaskedDraw, MaskAndImageOfDifferentSizesStillMatchTwoSteps) {
  std::mt19937 rng(9);
  const Surface mask = RandomSurface(8, 5, rng);
  const Surface image = RandomSurface(5, 8, rng);
  const Surface start = RandomSurface(20, 20, rng);
  Surface one = start;
  DrawMasked(one, mask, image, 0, 0, 8, 8, 3, 3);
  Surface two = start;
  DrawMaskedTwoStep(two, mask, image, 0, 0, 8, 8, 3, 3);
  EXPECT_EQ(DifferentPixels(one, two), 0);
}

}  // namespace
}  // namespace voltaro
