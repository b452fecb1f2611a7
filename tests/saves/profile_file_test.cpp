// The profile file's entries edited on strings, files that cannot serve as
// one, and the best score's text read from it.
#include "saves/profile_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "saves/high_score.h"
#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::EndsWith, ::testing::HasSubstr, ::testing::PrintToString, ::testing::StartsWith;
using testing::TempFolder;
using testing::WriteWholeFile;
using E = HighScoreTextError;
constexpr const char* kSection = "VOLTARO ZIP 5";

TEST(ProfileEdit, ChangesOnlyTheEntryAndReadsBack) {
  // Real-world files: other sections around, letter case, blanks, CRLF, mixed
  // line ends, duplicates, comments, no final newline, byte order mark, junk.
  const std::pair<std::string, std::string> cases[] = {
      {"", "[VOLTARO ZIP 5]\nHighScore=900\n"},
      {"[VOLTARO ZIP 5]\r\nHighScore=12\r\n", "[VOLTARO ZIP 5]\r\nHighScore=900\r\n"},
      {"[ voltaro zip 5 ]\n  highscore = 12 \nX=1\n", "[ voltaro zip 5 ]\nHighScore=900\nX=1\n"},
      {"; settings\r\n[Video]\r\nHighScore=3\r\n\r\n[VOLTARO ZIP 5]\r\nName=A\r\nHighScore=5\r\n"
       "\r\n[Sound]\r\nVolume=7\r\n",
       "; settings\r\n[Video]\r\nHighScore=3\r\n\r\n[VOLTARO ZIP 5]\r\nName=A\r\nHighScore=900\r\n"
       "\r\n[Sound]\r\nVolume=7\r\n"},
      {"[VOLTARO ZIP 5]\nHighScore=1\nHighScore=2\n",
       "[VOLTARO ZIP 5]\nHighScore=900\nHighScore=2\n"},
      {"[VOLTARO ZIP 5]\nA=1\n[VOLTARO ZIP 5]\nHighScore=2\n",
       "[VOLTARO ZIP 5]\nA=1\nHighScore=900\n[VOLTARO ZIP 5]\nHighScore=2\n"},
      {"[VOLTARO ZIP 5]\n;HighScore=1\nName=A\n\n\n[Sound]\n",
       "[VOLTARO ZIP 5]\n;HighScore=1\nName=A\nHighScore=900\n\n\n[Sound]\n"},
      {"\xEF\xBB\xBF[VOLTARO ZIP 5]\nHighScore=1\n",
       "\xEF\xBB\xBF[VOLTARO ZIP 5]\nHighScore=900\n"},
      {"\xEF\xBB\xBF", "\xEF\xBB\xBF[VOLTARO ZIP 5]\nHighScore=900\n"},
      {"[VOLTARO ZIP 5]\r\nName=A", "[VOLTARO ZIP 5]\r\nName=A\r\nHighScore=900\r\n"},
      {"[Video]\nW=250", "[Video]\nW=250\n[VOLTARO ZIP 5]\nHighScore=900\n"},
      {"[A]\r\nx=1\ny=2\n", "[A]\r\nx=1\ny=2\n[VOLTARO ZIP 5]\r\nHighScore=900\r\n"},
      {"\001\000\376"s, "\001\000\376\n[VOLTARO ZIP 5]\nHighScore=900\n"s},
      // The entry as the last line without a final newline gets none added.
      {"[VOLTARO ZIP 5]\nHighScore=12", "[VOLTARO ZIP 5]\nHighScore=900"},
      {"[VOLTARO ZIP 5]\r\nHighScore=12 ", "[VOLTARO ZIP 5]\r\nHighScore=900"},
      // Mixed line ends: each kept where it was, new lines take the first one.
      {"[A]\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=5\nY=1\r\n",
       "[A]\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=900\nY=1\r\n"},
      {"[A]\r\nx=1\n[VOLTARO ZIP 5]\nName=A\n\r\n[B]\n",
       "[A]\r\nx=1\n[VOLTARO ZIP 5]\nName=A\nHighScore=900\r\n\r\n[B]\n"}};
  for (const auto& [before, after] : cases) {
    SCOPED_TRACE(PrintToString(before));
    const std::string edited = SetProfileEntry(before, kSection, "HighScore", "900");
    EXPECT_EQ(edited, after);
    EXPECT_EQ(FindProfileEntry(edited, kSection, "HighScore"), "900");
  }
}

// A pipe, a folder or an oversized file where the profile should be: reading
// it gives no score and one warning, and it is never replaced.
TEST(UnreadableProfile, IsNeitherReadNorReplaced) {
  const TempFolder folder;
  ASSERT_EQ(::mkfifo((folder / "pipe.ini").c_str(), 0600), 0);
  fs::create_directories(folder / "dir.ini" / "keep");
  WriteWholeFile(folder / "huge.ini", "");
  fs::resize_file(folder / "huge.ini", kProfileFileMaxBytes + 1);
  const auto names = folder.Names();
  for (const auto& [name, reason] : {std::pair{"pipe.ini", "not a regular file"},
                                     {"dir.ini", "Is a directory"},
                                     {"huge.ini", "too large"}}) {
    const std::string path = folder / name;
    SCOPED_TRACE(path);
    const fs::file_type type = fs::symlink_status(path).type();
    std::ostringstream warnings;
    EXPECT_EQ(ReadHighScoreFile(path, warnings), std::nullopt);
    EXPECT_THAT(warnings.str(),
                StartsWith("voltaro5: warning: " + path + ": cannot read the file (" + reason));
    EXPECT_THAT(warnings.str(), EndsWith("; the best score starts at 0\n"));
    std::string whyNot;
    EXPECT_FALSE(WriteProfileString(path, kSection, "HighScore", "5", &whyNot));
    EXPECT_THAT(whyNot, HasSubstr(reason));
    EXPECT_EQ(fs::symlink_status(path).type(), type);
  }
  EXPECT_EQ(fs::file_size(folder / "huge.ini"), kProfileFileMaxBytes + 1);
  EXPECT_EQ(folder.Names(), names);
}

TEST(HighScoreText, FloorsTowardMinusInfinityExactlyWithin32Bits) {
  const auto ok = E::kNone, range = E::kOutOfRange, nan = E::kNotANumber;
  // clang-format off
  const std::tuple<std::string, std::int32_t, E> cases[] = {
      {"12.7", 12, ok}, {"-3.5", -4, ok}, {"-3.0", -3, ok}, {"-0.001", -1, ok}, {"+8", 8, ok},
      {".5", 0, ok}, {"-.5", -1, ok}, {" \t 42 \t", 42, ok}, {"1.5E+2", 150, ok},
      {"-25e-1", -3, ok}, {"1e-999999999999", 0, ok}, {"-1e-999999999999", -1, ok},
      {"0e999999999999", 0, ok}, {"2147483647.999999999999999999", INT32_MAX, ok},
      {"-2147483647.5", INT32_MIN, ok}, {"0000000000002147483647", INT32_MAX, ok},
      {"2147483648", 0, range}, {"-2147483648.5", 0, range}, {"1e10", 0, range},
      {"1e999999999999", 0, range}, {"   ", 0, E::kEmpty}, {"12abc", 0, nan}, {"1 2", 0, nan},
      {"-", 0, nan}, {"+-1", 0, nan}, {"1e+", 0, nan}, {"0x10", 0, nan}, {"inf", 0, nan},
      {"nan", 0, nan}, {"1\0002"s, 0, nan}};
  // clang-format on
  for (const auto& [text, score, error] : cases) {
    const HighScoreText parsed = ParseHighScoreText(text);
    EXPECT_EQ(std::pair(parsed.score, parsed.error), std::pair(score, error)) << '"' << text << '"';
  }
}

TEST(HighScoreFromProfileText, TheStoredScoreOrNoneAndOneWarning) {
  // The file's bytes, the score, and the problem the warning names ("": no warning).
  // Only the first section counts, whole names, quotes dropped, values cut at 1023.
  const std::optional<std::int32_t> none;
  const std::tuple<std::string, std::optional<std::int32_t>, std::string> cases[] = {
      {"[VOLTARO ZIP 5]\r\nHighScore=1234\r\n", 1234, ""},
      {"[VOLTARO ZIP 5]\nHighScore=\"42\"\n", 42, ""},
      {"[VOLTARO ZIP 5]\nOther=1\n[VOLTARO ZIP 5]\nHighScore=2\n", none, ""},
      {"[VOLTARO ZIP 50]\nHighScore=5\n", none, ""},
      {"[VOLTARO ZIP 5]\nHighScore=" + std::string(1023, '0') + "7", 0, ""},
      {"[VOLTARO ZIP 5]\nHighScore=" + std::string(1022, '0') + "7", 7, ""},
      {"[voltaro zip 5]\nhighscore= -3.5 ", -4, ""},
      {"", none, ""},
      {"\000\000\n[VOLTARO ZIP 5]\nHighScore=9\n\000"s, 9, ""},
      {"[VOLTARO ZIP 5]\nHighScore=\n", none, "HighScore value is empty"},
      {"[VOLTARO ZIP 5]\nHighScore\nHighScore=1=2\n", none,
       "HighScore value \"1=2\" is not a number"},
      {"[VOLTARO ZIP 5]\nHighScore=2147483648\n", none,
       "HighScore value \"2147483648\" is outside -2147483648..2147483647"},
      {"[VOLTARO ZIP 5]\nHighScore=\x1b[2J\x07\n", none,
       "HighScore value \"\\x1b[2J\\x07\" is not a number"},
      {"[VOLTARO ZIP 5]\nHighScore=a\"\\b\n", none, R"(HighScore value "a\"\\b" is not a number)"},
      {"\177ELF\002\001\000\000\377\376\n=\000"s, none,
       "the file holds binary data and no HighScore entry"}};
  for (const auto& [bytes, score, problem] : cases) {
    SCOPED_TRACE(PrintToString(bytes.substr(0, 40)));
    const StoredHighScore stored = HighScoreFromProfileText(bytes, "/x/Voltaro5.ini");
    EXPECT_EQ(stored.score, score);
    EXPECT_EQ(stored.warning, problem.empty() ? ""
                                              : "voltaro5: warning: /x/Voltaro5.ini: " + problem +
                                                    "; the best score starts at 0\n");
  }
}

}  // namespace
}  // namespace voltaro
