// A small, strict XPM reader: every count, key and row length is checked, so a
// damaged picture stops the program with a message naming it instead of being
// drawn from memory it does not own.
#include "gfx/xpm_decoder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace voltaro {
namespace {

// Large enough for any picture of the game, small enough that a typo in a
// header cannot ask for gigabytes.
constexpr int kMaxSide = 8192;
constexpr int kMaxColours = 4096;
constexpr int kMaxCharsPerPixel = 4;

[[noreturn]] void Fail(std::string_view name, const std::string& what) {
  throw std::runtime_error("picture '" + std::string(name) + "': " + what);
}

// Reads the i-th line, whichever form the caller gave.
class LineSource {
 public:
  LineSource(const char* const* lines, std::optional<std::size_t> count, std::string_view name)
      : lines_(lines), count_(count), name_(name) {}

  std::string_view Line(std::size_t i, const char* what) const {
    if (count_ && i >= *count_) Fail(name_, std::string("missing ") + what);
    if (lines_ == nullptr) Fail(name_, "no picture data");
    const char* line = lines_[i];
    if (line == nullptr) Fail(name_, std::string("missing ") + what);
    return line;
  }

 private:
  const char* const* lines_;
  std::optional<std::size_t> count_;
  std::string_view name_;
};

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

std::optional<int> ParseInt(std::string_view word) {
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return out;
}

std::optional<int> HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return std::nullopt;
}

// "#RGB", "#RRGGBB", "#RRRGGGBBB" or "#RRRRGGGGBBBB": each component keeps its
// top 8 bits (a 4-bit component is repeated, so #F0F is #FF00FF).
std::optional<std::uint32_t> ParseHexColour(std::string_view text) {
  const std::size_t digits = text.size() - 1;
  if (digits == 0 || digits % 3 != 0 || digits > 12) return std::nullopt;
  const std::size_t per = digits / 3;
  std::uint32_t colour = 0;
  for (std::size_t component = 0; component < 3; ++component) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < per; ++k) {
      const auto digit = HexDigit(text[1 + component * per + k]);
      if (!digit) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(*digit);
    }
    std::uint32_t byte = 0;
    if (per == 1) {
      byte = value * 17;
    } else {
      byte = value >> (4 * (per - 2));
    }
    colour = (colour << 8) | byte;
  }
  return colour;
}

std::optional<std::uint32_t> ParseColour(std::string_view text) {
  if (!text.empty() && text[0] == '#') return ParseHexColour(text);
  static const std::map<std::string, std::uint32_t, std::less<>> kNames = {
      {"none", kXpmNone},        {"black", 0x000000},   {"white", 0xFFFFFF}, {"green", 0x00FF00},
      {"lime", 0x00FF00},        {"red", 0xFF0000},     {"blue", 0x0000FF},  {"yellow", 0xFFFF00},
      {"cyan", 0x00FFFF},        {"magenta", 0xFF00FF}, {"gray", 0xBEBEBE},  {"grey", 0xBEBEBE},
      {"transparent", kXpmNone},
  };
  const auto found = kNames.find(Lower(text));
  if (found == kNames.end()) return std::nullopt;
  return found->second;
}

bool IsContextKey(std::string_view word) {
  return word == "c" || word == "m" || word == "g" || word == "g4" || word == "s";
}

// The colour of one colour line after its key: the "c" (colour) value if there
// is one, else the first of "g", "g4", "m"; "s" (a symbolic name) is ignored.
std::uint32_t ColourOfLine(std::string_view rest, std::string_view name, std::size_t lineNo) {
  const std::vector<std::string_view> words = Words(rest);
  std::map<std::string, std::string, std::less<>> values;
  std::size_t i = 0;
  while (i < words.size()) {
    if (!IsContextKey(words[i])) {
      Fail(name, "colour line " + std::to_string(lineNo) + ": unexpected '" +
                     std::string(words[i]) + "'");
    }
    const std::string key(words[i]);
    ++i;
    std::string value;
    while (i < words.size() && !IsContextKey(words[i])) {
      if (!value.empty()) value += ' ';
      value += words[i];
      ++i;
    }
    if (value.empty()) {
      Fail(name, "colour line " + std::to_string(lineNo) + ": no value for '" + key + "'");
    }
    values[key] = value;
  }
  for (const char* key : {"c", "g", "g4", "m"}) {
    const auto found = values.find(key);
    if (found == values.end()) continue;
    const auto colour = ParseColour(found->second);
    if (!colour) {
      Fail(name,
           "colour line " + std::to_string(lineNo) + ": unknown colour '" + found->second + "'");
    }
    return *colour;
  }
  Fail(name, "colour line " + std::to_string(lineNo) + ": no colour given");
}

Surface Decode(const LineSource& source, std::string_view name) {
  const std::vector<std::string_view> header = Words(source.Line(0, "header"));
  if (header.size() < 4) Fail(name, "header needs width, height, colours and chars per pixel");
  const auto width = ParseInt(header[0]);
  const auto height = ParseInt(header[1]);
  const auto colours = ParseInt(header[2]);
  const auto perPixel = ParseInt(header[3]);
  if (!width || !height || !colours || !perPixel) Fail(name, "header is not four whole numbers");
  if (*width < 1 || *width > kMaxSide || *height < 1 || *height > kMaxSide) {
    Fail(name,
         "size " + std::to_string(*width) + " x " + std::to_string(*height) + " is out of range");
  }
  if (*colours < 1 || *colours > kMaxColours) {
    Fail(name, "colour count " + std::to_string(*colours) + " is out of range");
  }
  if (*perPixel < 1 || *perPixel > kMaxCharsPerPixel) {
    Fail(name, "chars per pixel " + std::to_string(*perPixel) + " is out of range");
  }
  const auto cpp = static_cast<std::size_t>(*perPixel);

  std::map<std::string, std::uint32_t, std::less<>> palette;
  for (int k = 0; k < *colours; ++k) {
    const std::size_t lineNo = 1 + static_cast<std::size_t>(k);
    const std::string_view line = source.Line(lineNo, "colour line");
    if (line.size() < cpp) Fail(name, "colour line " + std::to_string(lineNo) + " is too short");
    const std::string key(line.substr(0, cpp));
    const std::uint32_t colour = ColourOfLine(line.substr(cpp), name, lineNo);
    if (!palette.emplace(key, colour).second) {
      Fail(name, "colour key '" + key + "' is defined twice");
    }
  }

  Surface picture(*width, *height);
  const std::size_t firstRow = 1 + static_cast<std::size_t>(*colours);
  const std::size_t rowChars = static_cast<std::size_t>(*width) * cpp;
  for (int y = 0; y < *height; ++y) {
    const std::string_view row = source.Line(firstRow + static_cast<std::size_t>(y), "pixel row");
    if (row.size() != rowChars) {
      Fail(name, "row " + std::to_string(y) + " has " + std::to_string(row.size()) +
                     " characters, expected " + std::to_string(rowChars));
    }
    for (int x = 0; x < *width; ++x) {
      const std::string_view key = row.substr(static_cast<std::size_t>(x) * cpp, cpp);
      const auto found = palette.find(key);
      if (found == palette.end()) {
        Fail(name, "row " + std::to_string(y) + " column " + std::to_string(x) +
                       ": undefined colour key '" + std::string(key) + "'");
      }
      picture.At(x, y) = found->second;
    }
  }
  return picture;
}

}  // namespace

Surface DecodeXpm(const char* const* lines, std::string_view name) {
  return Decode(LineSource(lines, std::nullopt, name), name);
}

Surface DecodeXpm(std::span<const char* const> lines, std::string_view name) {
  return Decode(LineSource(lines.data(), lines.size(), name), name);
}

SpritePair MakeSpritePair(const Surface& picture) {
  SpritePair pair{Surface(picture.width, picture.height, kWhite),
                  Surface(picture.width, picture.height, kWhite)};
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    if (picture.pixels[i] != kXpmNone) {
      pair.mask.pixels[i] = kBlack;
      pair.image.pixels[i] = picture.pixels[i];
    }
  }
  return pair;
}

Surface MakeOpaque(const Surface& picture, std::string_view name) {
  if (std::find(picture.pixels.begin(), picture.pixels.end(), kXpmNone) != picture.pixels.end()) {
    Fail(name, "has transparent pixels but is drawn opaque");
  }
  return picture;
}

}  // namespace voltaro
