// The best score's text on any bytes: never a crash, a score within 32 bits,
// and for numbers short enough to be exact in double precision the same
// floor as the C library's reading of them; integers read back to themselves.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "saves/high_score.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using voltaro::fuzz::Check;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A plain decimal number ([sign] digits [. digits] [e [sign] digits]) with at
// most 15 significant digits and a small exponent: strtod reads it to within
// half a unit in the last place, too little to move its floor.
bool ExactEnoughForDouble(std::string_view text) {
  std::size_t at = 0, significant = 0, mantissa = 0;
  bool leading = true;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  for (; at < text.size() && (IsDigit(text[at]) || text[at] == '.'); ++at) {
    if (text[at] == '.') continue;
    ++mantissa;
    if (text[at] != '0') leading = false;
    if (!leading) ++significant;
  }
  if (significant > 15 || mantissa > 40) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (text.size() - at > 2) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const voltaro::HighScoreText parsed = voltaro::ParseHighScoreText(text);
  using E = voltaro::HighScoreTextError;
  if (parsed.error != E::kNone) {
    Check(parsed.score == 0);
    return 0;
  }
  const voltaro::HighScoreText again = voltaro::ParseHighScoreText(std::to_string(parsed.score));
  Check(again.error == E::kNone && again.score == parsed.score);

  // Blanks as the parser takes them; strtod would skip a newline too.
  std::string_view trimmed = text;
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
  };
  while (!trimmed.empty() && blank(trimmed.front())) trimmed.remove_prefix(1);
  while (!trimmed.empty() && blank(trimmed.back())) trimmed.remove_suffix(1);
  if (ExactEnoughForDouble(trimmed)) {
    const std::string plain(trimmed);
    char* end = nullptr;
    const double value = std::strtod(plain.c_str(), &end);
    Check(end == plain.c_str() + plain.size());
    Check(std::floor(value) == static_cast<double>(parsed.score));
  }
  return 0;
}
