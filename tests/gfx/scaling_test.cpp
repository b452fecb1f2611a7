// The playfield's place and factor in a window of any size, the factor a
// window opens at, the magnification itself, the fill and the margin's frame.
#include "gfx/scaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
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

TEST(WindowScale, FillTakesTheLargestSizeWithTheShapeKept) {
  struct Case {
    int clientW, clientH;
    PlayfieldPlacement expected;
  };
  // clang-format off
  const Case cases[] = {
      {1920, 1080, {2, 622, 0, 675, 1080}},  // a 1080p screen: 2x, then to the full height
      {1366, 768, {1, 443, 0, 480, 768}},    // under 2x
      {300, 1000, {1, 0, 260, 300, 480}},    // narrow: the width decides
      {500, 800, {2, 0, 0, 500, 800}},       // a whole factor stays one
      {1000, 800, {2, 250, 0, 500, 800}},
      {249, 400, {1, 0, 0, 250, 400}},       // under the playfield: 1:1 and cut, as whole
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(PlacePlayfield(c.clientW, c.clientH, 250, 400, Scaling::kFill), c.expected)
        << c.clientW << " x " << c.clientH;
  }
}

// Enlarges `picture` into a w x h buffer of kMarker at `place`.
std::vector<std::uint32_t> Enlarged(const Surface& picture, const PlayfieldPlacement& place, int w,
                                    int h) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h, 0xABCDEF);
  Enlarge(picture, place, out.data(), w, h, w * 4);
  return out;
}

TEST(WindowScale, FillIsSharpOnlySmoothingBlockEdges) {
  // Left half black, right half white, the same in every row.
  Surface picture(4, 2, kBlack);
  for (int y = 0; y < 2; ++y) picture.pixels[y * 4 + 2] = picture.pixels[y * 4 + 3] = 0xFFFFFF;
  for (const int width : {7, 11, 13, 19}) {  // 1.75x to 4.75x
    PlayfieldPlacement place = PlacePlayfield(width, 100, 4, 2, Scaling::kFill);
    place.y = 0;
    const std::vector<std::uint32_t> out = Enlarged(picture, place, width, place.height);
    int mixed = 0;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = out[x];
      EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF) << "grey, not tinted, at " << x;
      EXPECT_GE(c, x == 0 ? 0 : out[x - 1]) << "darker to the right at " << x;
      if (c != kBlack && c != 0xFFFFFF) ++mixed;
      for (int y = 1; y < place.height; ++y) ASSERT_EQ(out[y * width + x], c);
    }
    EXPECT_LE(mixed, 2) << width << " wide: a soft edge, not a blur";
  }
}

// The window sends only what changed: a part enlarged on its own matches the
// whole picture enlarged, and covers every pixel a change of its own moves.
TEST(WindowScale, FillPartsMatchTheWholeAndCoverTheirChanges) {
  Surface picture(5, 4);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    picture.pixels[i] = 0x0B1D2Fu * static_cast<std::uint32_t>(i + 1) & 0xFFFFFF;
  }
  struct Case {
    int x, y, w, h;
  };
  // 4.25x, and 1.8x where a change spills furthest.
  for (const auto& [clientW, clientH] : {std::pair{23, 17}, std::pair{9, 8}}) {
    const PlayfieldPlacement place = PlacePlayfield(clientW, clientH, 5, 4, Scaling::kFill);
    const std::vector<std::uint32_t> whole = Enlarged(picture, place, clientW, clientH);
    for (const Case c : {Case{0, 0, 1, 1}, Case{2, 1, 1, 2}, Case{4, 3, 1, 1}, Case{1, 0, 3, 4}}) {
      const ScreenRect part = PlacedPart(place, 5, 4, c.x, c.y, c.w, c.h);
      PlayfieldPlacement from = place;
      from.x -= part.x;
      from.y -= part.y;
      const std::vector<std::uint32_t> piece = Enlarged(picture, from, part.w, part.h);
      Surface changed = picture;
      for (int y = c.y; y < c.y + c.h; ++y) {
        for (int x = c.x; x < c.x + c.w; ++x) changed.pixels[y * 5 + x] ^= 0x808080;
      }
      const std::vector<std::uint32_t> after = Enlarged(changed, place, clientW, clientH);
      for (int y = 0; y < clientH; ++y) {
        for (int x = 0; x < clientW; ++x) {
          const bool inPart =
              x >= part.x && x < part.x + part.w && y >= part.y && y < part.y + part.h;
          const std::size_t i = static_cast<std::size_t>(y) * clientW + x;
          if (inPart) {
            ASSERT_EQ(piece[(y - part.y) * part.w + x - part.x], whole[i]) << x << ", " << y;
          } else {
            ASSERT_EQ(after[i], whole[i]) << "changed outside the part at " << x << ", " << y;
          }
        }
      }
    }
  }
}

TEST(WindowScale, FrameLiesInTheMarginOnly) {
  struct Case {
    int targetW, targetH;
    PlayfieldPlacement place;
  };
  const Case cases[] = {
      {20, 16, {1, 6, 5, 5, 3}},  // a margin all round
      {9, 7, {1, 1, 2, 5, 3}},    // narrower than the frame on the left: cut there
      {5, 3, {1, 0, 0, 5, 3}},    // no margin: nothing drawn
      {6, 4, {1, 0, 0, 5, 3}},    // an odd leftover: right and below only
  };
  for (const Case& c : cases) {
    std::vector<std::uint32_t> target(static_cast<std::size_t>(c.targetW) * c.targetH, 7);
    DrawMarginFrame(c.place, target.data(), c.targetW, c.targetH, c.targetW * 4);
    for (int y = 0; y < c.targetH; ++y) {
      for (int x = 0; x < c.targetW; ++x) {
        const int u = x - c.place.x, v = y - c.place.y;
        const bool field = u >= 0 && v >= 0 && u < c.place.width && v < c.place.height;
        const bool ring = u >= -kFrameWidth && v >= -kFrameWidth &&
                          u < c.place.width + kFrameWidth && v < c.place.height + kFrameWidth;
        ASSERT_EQ(target[y * c.targetW + x], ring && !field ? kFrameColour : 7u)
            << c.targetW << " x " << c.targetH << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace voltaro
