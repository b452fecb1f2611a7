// The best score's home on disk: read once at start-up, written by the
// game-over screen on each new record. A broken file never stops the game: the
// best score starts at 0 and one warning line says what is wrong with which
// file; the file itself is only ever replaced by a complete new record.
#include "saves/high_score.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <sstream>

#include "saves/plain_text.h"
#include "saves/profile_file.h"

namespace voltaro {
namespace {

constexpr const char* kWarning = "voltaro5: warning: ";
constexpr const char* kStartsAtZero = "; the best score starts at 0";

std::string FilePath(const std::string& appDir) {
  if (appDir.empty() || appDir.back() == '/') return appDir + kHighScoreFile;
  return appDir + "/" + kHighScoreFile;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

HighScoreText ParseHighScoreText(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return {0, HighScoreTextError::kEmpty};
  const HighScoreText notANumber{0, HighScoreTextError::kNotANumber};
  const HighScoreText outOfRange{0, HighScoreTextError::kOutOfRange};

  std::size_t at = 0;
  bool negative = false;
  if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';

  // All mantissa digits in a row, and how many of them stand before the point.
  std::string digits;
  long long pointAt = 0;
  while (at < text.size() && IsDigit(text[at])) digits.push_back(text[at++]);
  pointAt = static_cast<long long>(digits.size());
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && IsDigit(text[at])) digits.push_back(text[at++]);
  }
  if (digits.empty()) return notANumber;

  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    bool negativeExponent = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
      negativeExponent = text[at++] == '-';
    }
    if (at >= text.size() || !IsDigit(text[at])) return notANumber;
    // Saturate: beyond a billion the answer (0, out of range) no longer changes.
    long long exponent = 0;
    while (at < text.size() && IsDigit(text[at])) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[at] - '0');
      ++at;
    }
    pointAt += negativeExponent ? -exponent : exponent;
  }
  if (at != text.size()) return notANumber;

  // value = 0.<digits> x 10^pointAt, with the leading zeros taken off.
  std::size_t first = 0;
  while (first < digits.size() && digits[first] == '0') {
    ++first;
    --pointAt;
  }
  if (first == digits.size()) return {0, HighScoreTextError::kNone};  // zero, "-0" included
  const std::string_view significant = std::string_view(digits).substr(first);
  if (pointAt > 10) return outOfRange;  // at least 10^10

  long long whole = 0;
  bool fraction = false;
  for (long long i = 0; i < static_cast<long long>(significant.size()); ++i) {
    const int digit = significant[static_cast<std::size_t>(i)] - '0';
    if (i < pointAt) {
      whole = whole * 10 + digit;
    } else if (digit != 0) {
      fraction = true;
    }
  }
  for (long long i = static_cast<long long>(significant.size()); i < pointAt; ++i) whole *= 10;

  // Flooring: a negative number with a fraction goes one further down.
  const long long floored = negative ? -whole - (fraction ? 1 : 0) : whole;
  if (floored < INT32_MIN || floored > INT32_MAX) return outOfRange;
  return {static_cast<std::int32_t>(floored), HighScoreTextError::kNone};
}

StoredHighScore HighScoreFromProfileText(std::string_view bytes, const std::string& where) {
  const std::optional<std::string> value =
      FindProfileEntry(bytes, kHighScoreSection, kHighScoreKey);
  std::string warning = std::string(kWarning) + where + ": ";
  if (!value) {
    // A text file without the entry is simply a first start; a binary one is
    // worth a word, as it is not what the game wrote there.
    if (bytes.find('\0') == std::string_view::npos) return {};
    return {std::nullopt, warning + "the file holds binary data and no " + kHighScoreKey +
                              " entry" + kStartsAtZero + '\n'};
  }

  const HighScoreText parsed = ParseHighScoreText(*value);
  switch (parsed.error) {
    case HighScoreTextError::kNone:
      return {parsed.score, ""};
    case HighScoreTextError::kEmpty:
      warning += std::string(kHighScoreKey) + " value is empty";
      break;
    case HighScoreTextError::kNotANumber:
      warning += std::string(kHighScoreKey) + " value " + Quoted(*value) + " is not a number";
      break;
    case HighScoreTextError::kOutOfRange:
      warning += std::string(kHighScoreKey) + " value " + Quoted(*value) +
                 " is outside -2147483648..2147483647";
      break;
  }
  return {std::nullopt, warning + kStartsAtZero + '\n'};
}

std::string ProfileTextWithHighScore(std::string_view bytes, std::int32_t hiScore) {
  return SetProfileEntry(bytes, kHighScoreSection, kHighScoreKey, std::to_string(hiScore));
}

std::optional<std::int32_t> ReadHighScoreFile(const std::string& path, std::ostream& warnings) {
  const ProfileFile file = ReadProfileFile(path);
  if (file.state == ProfileFile::State::kMissing) return std::nullopt;
  if (file.state == ProfileFile::State::kUnreadable) {
    warnings << kWarning << path << ": cannot read the file (" << file.error << ")" << kStartsAtZero
             << '\n';
    return std::nullopt;
  }
  const StoredHighScore stored = HighScoreFromProfileText(file.bytes, path);
  warnings << stored.warning;
  return stored.score;
}

bool WriteHighScore(const std::string& appDir, std::int32_t hiScore, std::ostream& warnings) {
  const std::string path = FilePath(appDir);
  const std::string value = std::to_string(hiScore);
  std::string whyNot;
  if (WriteProfileString(path, kHighScoreSection, kHighScoreKey, value, &whyNot)) return true;
  warnings << kWarning << path << ": cannot store the best score " << value << ": " << whyNot
           << '\n';
  return false;
}

std::int32_t ReadBestScore(const SavePlace& place, std::ostream& warnings) {
  std::optional<std::int32_t> best;
  for (const std::string& path : {place.programIni, place.dataIni}) {
    if (path.empty() || (&path == &place.dataIni && path == place.programIni)) continue;
    if (const std::optional<std::int32_t> stored = ReadHighScoreFile(path, warnings)) {
      best = best ? std::max(*best, *stored) : *stored;
    }
  }
  warnings << SavePlaceWarning(place);
  return best.value_or(0);
}

std::int32_t StoreBestScore(const SavePlace& place, std::int32_t score, std::ostream& warnings) {
  if (place.spot == SaveSpot::kNowhere) return score;  // said once at start-up
  std::ostringstream quiet;  // its problems were told at start-up; the write mends them
  if (const std::optional<std::int32_t> now = ReadHighScoreFile(place.iniPath, quiet)) {
    if (*now >= score) return *now;
  }
  std::string whyNot;
  if (!MakeSaveDirectory(place, &whyNot)) {
    warnings << kWarning << place.iniPath << ": cannot store the best score " << score << ": "
             << whyNot << '\n';
    return score;
  }
  if (WriteHighScore(place.directory, score, warnings)) return score;
  // The file beside the program could be written at start-up but not now (its
  // folder or the file made read-only, a full disk): rather than lose the
  // record, the data folder keeps it, where the next start finds it.
  if (place.spot != SaveSpot::kBesideProgram || place.dataIni.empty()) return score;
  SavePlace data = place;
  data.spot = SaveSpot::kDataFolder;
  data.iniPath = place.dataIni;
  data.directory = DirectoryOf(place.dataIni) + "/";
  std::ostringstream dataWarnings;
  const std::int32_t best = StoreBestScore(data, score, dataWarnings);
  if (dataWarnings.str().empty()) {
    warnings << kWarning << "the best score " << best << " is kept in " << data.iniPath
             << " instead\n";
  }
  warnings << dataWarnings.str();
  return best;
}

}  // namespace voltaro
