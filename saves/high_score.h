// The best score, kept in "Voltaro5.ini" (beside the program, or in the
// player's data folder: save_place.h), section "VOLTARO ZIP 5", key
// "HighScore". Read once at start-up, written by the game-over screen on each
// new best score.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "saves/save_place.h"

namespace voltaro {

inline constexpr const char* kHighScoreFile = kSaveFileName;
inline constexpr const char* kHighScoreSection = "VOLTARO ZIP 5";
inline constexpr const char* kHighScoreKey = "HighScore";

// The best score to start with: the higher of the stored scores of the file
// beside the program and the one in the data folder, 0 when neither holds
// one. Each file's problems are warned about as by ReadHighScoreFile, and so
// is a place where nothing can be written (one warning naming both files).
std::int32_t ReadBestScore(const SavePlace& place, std::ostream& warnings);

// Stores a new record `score` in the place's file, and returns the best score
// to show from now on. The file is read again first: when it holds a score as
// high or higher (another copy of the game, or a file put back by hand), it is
// left alone and its score is returned. Folders of the data folder are created
// as needed. When the file beside the program cannot be written after all,
// the data folder's file takes the record (a warning says so). A failure is a
// warning; the game goes on with `score`.
std::int32_t StoreBestScore(const SavePlace& place, std::int32_t score, std::ostream& warnings);

// The score stored in the file at `path`; nullopt when the file, section or
// key is missing (silently), or when the value cannot be used (empty, not a
// number, outside the 32-bit range) or the file cannot be read: then with one
// warning line naming the file and the problem. The file is never touched.
std::optional<std::int32_t> ReadHighScoreFile(const std::string& path, std::ostream& warnings);

// Stores hiScore as the "HighScore" entry, keeping every other line of the file
// byte for byte (WriteProfileString: atomic where the folder allows). On failure the old
// file stays whole, one warning line naming the file and the reason goes to
// `warnings`, and false is returned; the game goes on either way.
bool WriteHighScore(const std::string& appDir, std::int32_t hiScore, std::ostream& warnings);

// The best score held by the text of a profile file, and the warning line for
// a text that cannot serve (empty when there is nothing to say). `where` names
// the file in the warning. The desktop reads the text from the file, the
// browser from its local storage; both follow these rules.
struct StoredHighScore {
  std::optional<std::int32_t> score;  // none when missing or unusable
  std::string warning;                // one line ending in '\n', or empty
};
StoredHighScore HighScoreFromProfileText(std::string_view bytes, const std::string& where);

// The profile text with the best score stored: only the HighScore line changes
// (or is added); every other byte stays.
std::string ProfileTextWithHighScore(std::string_view bytes, std::int32_t hiScore);

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
