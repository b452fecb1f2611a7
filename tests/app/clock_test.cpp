// The 32-bit millisecond clock's reading around the points where it turns
// negative (2^31 ms after the system started) and wraps to 0 (2^32 ms); the
// deadlines across them are tested on the scenes' wait.
#include "app/clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace voltaro {
namespace {

TEST(Clock, ReadsTheLow32BitsAsASignedValue) {
  struct Case {
    std::uint64_t ms;
    std::int32_t reading;
  };
  const Case cases[] = {{0, 0},
                        {5000, 5000},
                        {(1ull << 31) - 1, INT32_MAX},
                        {1ull << 31, INT32_MIN},
                        {(1ull << 32) - 1, -1},
                        {1ull << 32, 0},
                        {(1ull << 32) + 30, 30}};
  for (const Case& c : cases) EXPECT_EQ(ClockFromMilliseconds(c.ms), c.reading) << c.ms;
}

}  // namespace
}  // namespace voltaro
