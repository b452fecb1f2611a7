// Float text against the C++ library's to_chars and from_chars, which wrote
// and read every replay before the page needed text of its own: the same text
// for every float, and the same words read and refused.
#include "saves/float_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace voltaro {
namespace {

std::string LibraryText(float value) {
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// What the library reads from the whole word, in range.
std::optional<float> LibraryRead(std::string_view word) {
  float value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

// The same float to the bit (any NaN matches any NaN), or nothing for both.
bool Same(std::optional<float> a, std::optional<float> b) {
  if (!a || !b) return !a && !b;
  if (std::isnan(*a) || std::isnan(*b)) return std::isnan(*a) && std::isnan(*b);
  return std::bit_cast<std::uint32_t>(*a) == std::bit_cast<std::uint32_t>(*b);
}

TEST(FloatText, WritesWhatTheLibraryWritesAndReadsItBack) {
  using Limits = std::numeric_limits<float>;
  std::vector<float> values = {0.5f, -2.5f, 1e6f, 1e-5f, 123.45f, 1e5f, 0.1f, -3.4e-7f};
  for (const float edge : {0.0f, Limits::min(), Limits::max(), Limits::denorm_min(),
                           Limits::infinity(), Limits::quiet_NaN()}) {
    values.insert(values.end(), {edge, -edge});
  }
  // Every power of two and its neighbours: the floats just below one lie
  // twice as close together as those above.
  for (int e = -149; e <= 127; ++e) {
    const float power = std::ldexp(1.0f, e);
    values.insert(values.end(),
                  {power, std::nextafter(power, 0.0f), std::nextafter(power, Limits::infinity())});
  }
  std::mt19937 random(5);
  for (int i = 0; i < 200'000; ++i) {
    values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
  }
  for (const float value : values) {
    const std::string text = FloatText(value);
    ASSERT_EQ(text, LibraryText(value)) << std::bit_cast<std::uint32_t>(value);
    ASSERT_TRUE(Same(FloatFromText(text), value)) << text;
  }
}

TEST(FloatText, ReadsTheWordsTheLibraryReads) {
  // The edges of the form and of the floats' range.
  // clang-format off
  std::vector<std::string> words = {
      "", "0", "-0", "1.", ".5", "-.5", ".", "-", "+1", " 1", "1 ", "1e", "1e+", "1e+-5", "1E5",
      "0x10", "-0x1p3", "1..2", "--1", "1,5", "\t1", "inf", "-Inf", "INFINITY", "infinit", "nan",
      "-nan(abc_9)", "nan(", "+nan", "3.4028235e38", "3.4028236e38", "1e39",
      "1e2147483648", "1e-45", "7e-46", "7.1e-46", "1e-50", "0e-999999", "0.000000000000001"};
  // clang-format on
  words.push_back(std::string("1\0", 2));
  // And many short words of the characters numbers are made of.
  constexpr std::string_view kChars = "0123456789.-+eExXinfatyNAI(_) \t";
  std::mt19937 random(7);
  for (int i = 0; i < 100'000; ++i) {
    std::string word(1 + random() % 8, ' ');
    for (char& c : word) c = kChars[random() % kChars.size()];
    words.push_back(word);
  }
  for (const std::string& word : words) {
    ASSERT_TRUE(Same(FloatFromText(word), LibraryRead(word))) << '"' << word << '"';
  }
}

}  // namespace
}  // namespace voltaro
