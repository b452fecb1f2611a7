// The error raised when the game's integer arithmetic leaves its range. In the
// play scene it is fatal: the shell reports it and ends the program.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace voltaro {

class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(const std::string& what) : std::runtime_error(what) {}
};

// 16- and 32-bit sums as the rules define them: the result must fit, or the
// operation fails with an overflow instead of wrapping.
inline std::int16_t Add16(int a, int b) {
  const long long sum = static_cast<long long>(a) + b;
  if (sum < INT16_MIN || sum > INT16_MAX) throw RunTimeError("Overflow");
  return static_cast<std::int16_t>(sum);
}

inline std::int32_t Add32(std::int32_t a, std::int32_t b) {
  const long long sum = static_cast<long long>(a) + b;
  if (sum < INT32_MIN || sum > INT32_MAX) throw RunTimeError("Overflow");
  return static_cast<std::int32_t>(sum);
}

}  // namespace voltaro
