// Deadlines on the 32-bit millisecond clock across the points where it turns
// negative (2^31 ms after the system started) and wraps to 0 (2^32 ms).
#include "app/clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace voltaro {
namespace {

constexpr std::int32_t kMax = INT32_MAX;
constexpr std::int32_t kMin = INT32_MIN;

TEST(Clock, ReadsTheLow32BitsAsASignedValue) {
  struct Case {
    std::uint64_t ms;
    std::int32_t reading;
  };
  const Case cases[] = {{0, 0},
                        {5000, 5000},
                        {(1ull << 31) - 1, kMax},
                        {1ull << 31, kMin},
                        {(1ull << 32) - 1, -1},
                        {1ull << 32, 0},
                        {(1ull << 32) + 30, 30}};
  for (const Case& c : cases) EXPECT_EQ(ClockFromMilliseconds(c.ms), c.reading) << c.ms;
}

TEST(Clock, DeadlinesWrapAndCompareTheShortWayRound) {
  struct Case {
    std::int32_t frameTime;
    std::int32_t period;
    std::int32_t deadline;
  };
  const Case cases[] = {{1000, 30, 1030},      {kMax - 10, 30, kMin + 19},
                        {kMax, 30, kMin + 29}, {-10, 30, 20},
                        {-1, 100, 99},         {kMin, 30, kMin + 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frameTime);
    const std::int32_t deadline = ClockAdd(c.frameTime, c.period);
    EXPECT_EQ(deadline, c.deadline);
    // Before the deadline, at it, and the first reading after it.
    EXPECT_FALSE(ClockPassed(c.frameTime, deadline));
    EXPECT_FALSE(ClockPassed(ClockAdd(deadline, -1), deadline));
    EXPECT_FALSE(ClockPassed(deadline, deadline));
    EXPECT_TRUE(ClockPassed(ClockAdd(deadline, 1), deadline));
    EXPECT_TRUE(ClockPassed(ClockAdd(deadline, 1000), deadline));
    EXPECT_EQ(ClockDiff(deadline, c.frameTime), c.period);
  }
}

}  // namespace
}  // namespace voltaro
