// Numbers and flags in the trace's JSON text. Floats are written in the
// shortest form that reads back to the same single (146.5, -13, 0.1, -0),
// exactly as std::to_chars gives it; whole and half values, which make up
// most of a trace, take a quicker path with the same result.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace voltaro::sim {

inline void AppendInt(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

inline void AppendBool(std::string& out, bool value) {
  out.append(value ? "true" : "false");
}

// JSON has no infinities or NaN; a value that has become one (it cannot in a
// game that follows the rules) is written as null so the line stays readable.
inline void AppendFloat(std::string& out, float value) {
  const float magnitude = std::fabs(value);
  // Below 10000 a whole or half value is shortest in plain decimal notation,
  // so to_chars writes its digits and at most ".5".
  if (magnitude < 10000.0f) {
    const float twice = magnitude * 2.0f;  // exact
    const auto halves = static_cast<std::int32_t>(twice);
    if (static_cast<float>(halves) == twice) {
      if (std::signbit(value)) out.push_back('-');
      AppendInt(out, halves / 2);
      if (halves % 2 != 0) out.append(".5");
      return;
    }
  }
  if (!std::isfinite(value)) {
    out.append("null");
    return;
  }
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace voltaro::sim
