// Rounding of positions: halves to the even neighbour, and no undefined
// conversion for floats no playfield could show.
#include "gfx/pixel_round.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace voltaro {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Case {
    float in;
    double out;
  };
  const Case cases[] = {{2.5F, 2},
                        {3.5F, 4},
                        {12.5F, 12},
                        {13.5F, 14},
                        {-2.5F, -2},
                        {-15.5F, -16},
                        {-16.5F, -16},
                        {-0.5F, 0},
                        {0.5F, 0},
                        {1.5F, 2},
                        {2.4999998F, 2},
                        {2.5000002F, 3},
                        {-3.7F, -4},
                        {8388607.5F, 8388608},
                        {16777216.F, 16777216}};
  for (const Case& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(PixelFromFloat, FarAndBrokenPositionsLandFarAway) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float in;
    int out;
  };
  const Case cases[] = {{1e30F, kFarAway}, {-1e30F, -kFarAway},  {inf, kFarAway},
                        {-inf, -kFarAway}, {40000.5F, kFarAway}, {-200.F, -200},
                        {39999.5F, 40000}, {-39998.5F, -39998},  {std::nanf(""), kFarAway}};
  for (const Case& c : cases) EXPECT_EQ(PixelFromFloat(c.in), c.out) << c.in;
}

TEST(RoundToInt32, RefusesWhatAnIntCannotHold) {
  EXPECT_EQ(RoundToInt32(22.5F), 22);
  EXPECT_EQ(RoundToInt32(-2147483648.F), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(RoundToInt32(2147483520.F), 2147483520);  // the largest float below 2^31
  EXPECT_FALSE(RoundToInt32(2147483648.F));
  EXPECT_FALSE(RoundToInt32(-2147483904.F));
  EXPECT_FALSE(RoundToInt32(std::nanf("")));
  EXPECT_FALSE(RoundToInt32(std::numeric_limits<float>::infinity()));
}

}  // namespace
}  // namespace voltaro
