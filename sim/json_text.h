// Numbers and flags in the trace's JSON text, written straight into a buffer
// the caller has made large enough. Floats are written in the shortest form
// that reads back to the same single (146.5, -13, 0.1, -0), exactly as
// std::to_chars gives it; whole and half values, which make up most of a
// trace, take a quicker path with the same result.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace voltaro::sim {

// The most characters one Put call below writes.
inline constexpr std::size_t kMaxNumberChars = 24;

inline char* PutInt(char* out, std::int64_t value) {
  return std::to_chars(out, out + kMaxNumberChars, value).ptr;
}

template <std::size_t N>
inline char* PutText(char* out, const char (&text)[N]) {
  std::memcpy(out, text, N - 1);
  return out + (N - 1);
}

inline char* PutBool(char* out, bool value) {
  return value ? PutText(out, "true") : PutText(out, "false");
}

// JSON has no infinities or NaN; a value that has become one (it cannot in a
// game that follows the rules) is written as null so the line stays readable.
inline char* PutFloat(char* out, float value) {
  const float magnitude = std::fabs(value);
  // Below 10000 a whole or half value is shortest in plain decimal notation,
  // so to_chars writes its digits and at most ".5".
  if (magnitude < 10000.0f) {
    const float twice = magnitude * 2.0f;  // exact
    const auto halves = static_cast<std::int32_t>(twice);
    if (static_cast<float>(halves) == twice) {
      if (std::signbit(value)) *out++ = '-';
      out = PutInt(out, halves / 2);
      if (halves % 2 != 0) out = PutText(out, ".5");
      return out;
    }
  }
  if (!std::isfinite(value)) return PutText(out, "null");
  return std::to_chars(out, out + kMaxNumberChars, value).ptr;
}

inline void AppendFloat(std::string& out, float value) {
  char buffer[kMaxNumberChars];
  out.append(buffer, PutFloat(buffer, value));
}

}  // namespace voltaro::sim
