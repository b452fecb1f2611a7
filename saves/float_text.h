// Single-precision numbers as replay text, written and read the same way in
// every build: the desktop's replay files have always held the shortest text
// that reads back to the same float, laid out the way the C++ library's
// std::to_chars lays it out ("0.5", "-2.5", "1e+06", "1e-05"), and the page's
// C++ library has no floating-point to_chars or from_chars. The replay text
// (replay_text.cpp) calls these.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace voltaro {

// The fewest digits that read back as `value`, as plain decimals or in
// scientific notation, whichever is shorter (plain on a tie). Infinities and
// NaNs are "inf" and "nan", with a '-' when the sign bit is set.
std::string FloatText(float value);

// The number a whole word spells: an optional '-', decimal digits with at most
// one '.', an optional exponent ("e-5", "E+06"), or inf, infinity, nan or
// nan(chars), in any case. Nothing when the word is anything else, or when its
// value lies beyond the floats (a huge exponent) or rounds to zero although it
// is not zero (a tiny one).
std::optional<float> FloatFromText(std::string_view word);

}  // namespace voltaro
