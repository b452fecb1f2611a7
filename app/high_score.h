// The best score, kept in "Voltaro5.ini" in the program's directory, section
// "VOLTARO ZIP 5", key "HighScore". Read once at start-up, written by the
// game-over screen on each new best score.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace voltaro {

inline constexpr const char* kHighScoreFile = "Voltaro5.ini";
inline constexpr const char* kHighScoreSection = "VOLTARO ZIP 5";
inline constexpr const char* kHighScoreKey = "HighScore";

// Reads the best score from appDir + "Voltaro5.ini" (appDir ends in '/').
// A missing file, section or key gives 0 silently. A value that cannot be used
// (empty, not a number, outside the 32-bit range) or a file that cannot be
// read gives 0 and one warning line on `warnings` naming the file and the
// problem; the file is never touched here.
std::int32_t ReadHighScore(const std::string& appDir, std::ostream& warnings);

// Stores hiScore as the "HighScore" entry, keeping every other line of the file
// byte for byte, atomically (temporary file, sync, rename). On failure the old
// file stays whole, one warning line naming the file and the reason goes to
// `warnings`, and false is returned; the game goes on either way.
bool WriteHighScore(const std::string& appDir, std::int32_t hiScore, std::ostream& warnings);

// Why a stored value cannot serve as the best score.
enum class HighScoreTextError { kNone, kEmpty, kNotANumber, kOutOfRange };

struct HighScoreText {
  std::int32_t score = 0;  // 0 unless error is kNone
  HighScoreTextError error = HighScoreTextError::kNone;
};

// The stored text as a best score: blanks around it allowed, a decimal number
// with an optional sign, fraction and exponent ("12.7", "-3.5", "1e3"),
// floored toward minus infinity exactly (no rounding through a double), and
// the result must fit in 32 signed bits.
HighScoreText ParseHighScoreText(std::string_view text);

}  // namespace voltaro
