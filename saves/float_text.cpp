// The shortest text of a float is found by rounding it to 1, 2, ... 9
// significant digits with the C library's printf until the text reads back
// to the same float; the layout of those digits is ours. Reading checks the
// word's form and leaves the rounding to the C library's strtof. Both use
// the C locale's '.', which the game never changes.
#include "saves/float_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace voltaro {
namespace {

// Nine significant digits always read back to the same float.
constexpr int kMostDigits = 9;

// A positive number as its significant digits, the first of which stands for
// ten to the power `exponent`.
struct Decimal {
  char digits[kMostDigits] = {};
  int count = 0;
  int exponent = 0;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whether the digits read back as `magnitude`. The text has no decimal
// point ("12345e-3"), so no locale can get in the way.
bool ReadsBack(const Decimal& d, float magnitude) {
  const std::string text = std::string(d.digits, static_cast<std::size_t>(d.count)) + "e" +
                           std::to_string(d.exponent - d.count + 1);
  return std::strtof(text.c_str(), nullptr) == magnitude;
}

// `magnitude` (finite, above zero) rounded to `precision` significant digits.
Decimal RoundTo(float magnitude, int precision) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*e", precision - 1, static_cast<double>(magnitude));
  Decimal d;
  const char* at = text;
  for (; *at != 'e'; ++at) {
    if (IsDigit(*at) && d.count < kMostDigits) d.digits[d.count++] = *at;
  }
  d.exponent = std::atoi(at + 1);
  return d;
}

// The same number of digits, one unit of the last digit higher.
Decimal OneUp(Decimal d) {
  int i = d.count - 1;
  for (; i >= 0 && d.digits[i] == '9'; --i) d.digits[i] = '0';
  if (i >= 0) {
    ++d.digits[i];
  } else {
    d.digits[0] = '1';  // 999 -> 1000, still three digits
    ++d.exponent;
  }
  return d;
}

// The fewest digits that read back as `magnitude`, and of those the nearest.
// Below a power of two the floats lie twice as close as above it, so the
// digits nearest such a float may fall just outside the values that read back
// to it on the lower side while the next ones up fall inside on the upper
// side.
Decimal Shortest(float magnitude) {
  int exponent = 0;
  const bool powerOfTwo = std::frexp(magnitude, &exponent) == 0.5f;
  Decimal d;
  for (int precision = 1; precision <= kMostDigits; ++precision) {
    d = RoundTo(magnitude, precision);
    if (ReadsBack(d, magnitude)) break;
    if (powerOfTwo && ReadsBack(OneUp(d), magnitude)) {
      d = OneUp(d);
      break;
    }
  }
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  return d;
}

// The digits as plain decimals ("1500", "0.015") or in scientific notation
// ("1.5e+03", "1.5e-02", the exponent of at least two digits), whichever is
// shorter. A whole number in plain decimals is the float's exact value, as
// printf's "%.0f" shows it: 67108872, not the shortest digits padded with
// zeros (67108870), which would read back the same.
std::string Laid(const Decimal& d, float magnitude) {
  const std::string_view digits(d.digits, static_cast<std::size_t>(d.count));
  const int e = d.exponent;
  std::string plain;
  if (e >= d.count - 1) {
    char whole[48];
    std::snprintf(whole, sizeof whole, "%.0f", static_cast<double>(magnitude));
    plain = whole;
  } else if (e >= 0) {
    const auto point = static_cast<std::size_t>(e + 1);
    plain.append(digits.substr(0, point)).append(".").append(digits.substr(point));
  } else {
    plain.append("0.").append(static_cast<std::size_t>(-e - 1), '0').append(digits);
  }
  std::string scientific(digits.substr(0, 1));
  if (d.count > 1) scientific.append(".").append(digits.substr(1));
  scientific += e < 0 ? "e-" : "e+";
  if (std::abs(e) < 10) scientific += '0';
  scientific += std::to_string(std::abs(e));
  return plain.size() <= scientific.size() ? plain : scientific;
}

}  // namespace

std::string FloatText(float value) {
  const std::string sign = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return sign + "nan";
  const float magnitude = std::fabs(value);
  if (std::isinf(magnitude)) return sign + "inf";
  if (magnitude == 0) return sign + "0";
  return sign + Laid(Shortest(magnitude), magnitude);
}

std::optional<float> FloatFromText(std::string_view word) {
  const std::string_view body = word.starts_with('-') ? word.substr(1) : word;
  // strtof also takes a '+', leading blanks and hexadecimal, which no
  // replay ever held.
  if (body.empty() || body.starts_with("0x") || body.starts_with("0X")) return std::nullopt;
  const char first = body[0];
  const bool spelled = (first | 0x20) == 'i' || (first | 0x20) == 'n';  // inf, nan
  if (!IsDigit(first) && first != '.' && !spelled) return std::nullopt;
  const std::string text(word);
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  if (std::isinf(value) && !spelled) return std::nullopt;  // beyond the largest float
  const std::string_view mantissa = body.substr(0, body.find_first_of("eE"));
  if (value == 0 && mantissa.find_first_of("123456789") != std::string_view::npos) {
    return std::nullopt;  // below the smallest float
  }
  return value;
}

}  // namespace voltaro
