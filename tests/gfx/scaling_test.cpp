// The playfield's place and factor in a window of any size, the factor a
// window opens at, and the magnification itself.
#include "gfx/scaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace voltaro {
namespace {

TEST(WindowScale, PlaysfieldTakesTheLargestWholeFactorCentred) {
  struct Case {
    int clientW, clientH;
    PlayfieldPlacement expected;
  };
  // clang-format off
  const Case cases[] = {
      {250, 400, {1, 0, 0, 250, 400}},          // the default size, 1:1
      {251, 401, {1, 0, 0, 250, 400}},          // odd leftovers: the extra pixel right and below
      {499, 799, {1, 124, 199, 250, 400}},      // just under 2x
      {500, 800, {2, 0, 0, 500, 800}},          // exactly 2x
      {750, 1200, {3, 0, 0, 750, 1200}},        // exactly 3x
      {800, 900, {2, 150, 50, 500, 800}},       // height decides
      {2000, 801, {2, 750, 0, 500, 800}},       // wide and low
      {1920, 1080, {2, 710, 140, 500, 800}},    // a 1080p screen
      {1280, 1024, {2, 390, 112, 500, 800}},
      {3840, 2160, {5, 1295, 80, 1250, 2000}},  // 4K
      {100000, 100000, {250, 18750, 0, 62500, 100000}},
      {249, 400, {1, 0, 0, 250, 400}},          // under the minimum: 1:1, cut at the right
      {100, 50, {1, -75, -175, 250, 400}},
      {0, 0, {1, -125, -200, 250, 400}},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(PlacePlayfield(c.clientW, c.clientH, 250, 400), c.expected)
        << c.clientW << " x " << c.clientH;
  }
}

TEST(WindowScale, OpeningFactorIsTheWantedOneOrTheLargestThatFits) {
  struct Case {
    int wanted, usableW, usableH, expected;
  };
  const Case cases[] = {
      {1, 1280, 1024, 1},       {3, 2000, 1600, 3}, {3, 1280, 1024, 2}, {16, 1920, 1080, 2},
      {16, 7680, 4320, 10},     {2, 200, 300, 1},   {0, 1920, 1080, 1}, {-5, 1920, 1080, 1},
      {17, 100000, 100000, 16}, {4, 1000, 1599, 3}, {4, 1000, 1600, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FittingScale(c.wanted, c.usableW, c.usableH, 250, 400), c.expected)
        << c.wanted << " on " << c.usableW << " x " << c.usableH;
  }
}

// A small picture whose every pixel differs, magnified into a buffer filled
// with a marker colour, compared with the block each target pixel must show.
TEST(WindowScale, MagnifyDrawsEachPixelAsABlockClippedToTheTarget) {
  Surface picture(5, 3);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    picture.pixels[i] = 0x010203u * static_cast<std::uint32_t>(i + 1);
  }
  constexpr std::uint32_t kMarker = 0xABCDEF;
  struct Case {
    int targetW, targetH;
    PlayfieldPlacement place;
  };
  const Case cases[] = {
      {5, 3, {1, 0, 0, 5, 3}},    {15, 9, {3, 0, 0, 15, 9}}, {20, 12, {3, 2, 1, 15, 9}},
      {7, 4, {2, -1, -1, 10, 6}}, {3, 2, {1, -1, 0, 5, 3}},  {12, 7, {2, 1, 0, 10, 6}},
  };
  for (const Case& c : cases) {
    const int pitch = c.targetW + 3;  // rows padded, as a window surface's may be
    std::vector<std::uint32_t> target(static_cast<std::size_t>(pitch) * c.targetH, kMarker);
    Magnify(picture, c.place, target.data(), c.targetW, c.targetH, pitch * 4);
    for (int y = 0; y < c.targetH; ++y) {
      for (int x = 0; x < pitch; ++x) {
        const int u = x - c.place.x, v = y - c.place.y;
        const bool inside =
            x < c.targetW && u >= 0 && v >= 0 && u < c.place.width && v < c.place.height;
        const std::uint32_t expected =
            inside ? picture.At(u / c.place.scale, v / c.place.scale) : kMarker;
        ASSERT_EQ(target[static_cast<std::size_t>(y) * pitch + x], expected)
            << c.targetW << " x " << c.targetH << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace voltaro
