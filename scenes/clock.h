// The millisecond clock as the game reads it: milliseconds since the system
// started, kept in a signed 32-bit value that wraps every 2^32 ms (about 49.7
// days) and turns negative after 2^31 ms. Deadlines are built and compared
// here without signed overflow, so frame pacing keeps working across both
// wrap points.
#pragma once

#include <cstdint>

namespace voltaro {

// A clock reading `ms` milliseconds after `time`, wrapping like the clock does.
constexpr std::int32_t ClockAdd(std::int32_t time, std::int32_t ms) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(time) +
                                   static_cast<std::uint32_t>(ms));
}

// How far `later` lies after `earlier`, taking the shorter way round the wrap.
constexpr std::int32_t ClockDiff(std::int32_t later, std::int32_t earlier) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                   static_cast<std::uint32_t>(earlier));
}

// True once `now` is strictly after `deadline`: a reading equal to the
// deadline has not passed it yet.
constexpr bool ClockPassed(std::int32_t now, std::int32_t deadline) {
  return ClockDiff(now, deadline) > 0;
}

// The clock value for a count of milliseconds since the system started: its
// low 32 bits read as a signed number.
constexpr std::int32_t ClockFromMilliseconds(std::uint64_t ms) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms & 0xFFFFFFFFu));
}

}  // namespace voltaro
