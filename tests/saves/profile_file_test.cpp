// The profile layer, on strings and on disk where failures must leave the old
// file whole, and the best score's file on top of it.
#include "saves/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "saves/high_score.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ::testing::PrintToString;
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

class OnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voltaro5-profile-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    appDir_ = dir_.string() + "/";
    path_ = appDir_ + "Voltaro5.ini";
  }
  void TearDown() override { fs::remove_all(dir_); }
  static void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  long Entries() const { return std::distance(fs::directory_iterator(dir_), {}); }

  fs::path dir_;
  std::string appDir_, path_;
};

TEST_F(OnDisk, ReadOfAPipeDoesNotWaitForAWriter) {
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  EXPECT_EQ(ReadProfileFile(path_).state, ProfileFile::State::kUnreadable);
}

TEST_F(OnDisk, FailedWriteReportsAndLeavesNothingBehind) {
  // The tests run as root, which ignores permission bits, so the failures come
  // from the shape of the file system.
  fs::create_directories(dir_ / "dir.ini" / "keep");
  fs::create_symlink(dir_ / "nowhere" / "x.ini", dir_ / "dangling.ini");
  Put(dir_ / "huge.ini", "");
  fs::resize_file(dir_ / "huge.ini", kProfileFileMaxBytes + 1);
  for (const fs::path& target :
       {dir_ / "dir.ini", dir_ / "gone" / "x.ini", dir_ / "dangling.ini", dir_ / "huge.ini"}) {
    SCOPED_TRACE(target);
    const fs::file_type before = fs::symlink_status(target).type();
    std::string whyNot;
    EXPECT_FALSE(WriteProfileString(target.string(), kSection, "HighScore", "5", &whyNot));
    EXPECT_NE(whyNot, "");
    EXPECT_EQ(fs::symlink_status(target).type(), before);
  }
  EXPECT_EQ(Entries(), 3) << "no temporary file left";
  EXPECT_EQ(fs::file_size(dir_ / "huge.ini"), kProfileFileMaxBytes + 1);
}

TEST_F(OnDisk, CrashJustBeforeRenameLeavesTheOldFileWholeAndLaterWritesWork) {
  const std::string old = "[A]\r\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=100\r\n";
  Put(path_, old);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // dies once the new bytes are complete beside the old file
    FileWriteOps dieAtRename;
    dieAtRename.rename = [](const char*, const char*) -> int { ::_exit(0); };
    WriteProfileString(path_, kSection, "HighScore", "200", nullptr, dieAtRename);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the hook never ran";
  EXPECT_EQ(Get(path_), old);
  EXPECT_EQ(Entries(), 2);  // the dead process's temporary file, as after a crash
  ASSERT_TRUE(WriteProfileString(path_, kSection, "HighScore", "300"));
  const std::string written = "[A]\r\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=300\r\n";
  EXPECT_EQ(Get(path_), written);
  // An error at the same point leaves the file alone and takes its temporary file away.
  FileWriteOps throwAtRename;
  throwAtRename.rename = [](const char*, const char*) -> int { throw std::runtime_error("x"); };
  EXPECT_THROW(WriteProfileString(path_, kSection, "HighScore", "400", nullptr, throwAtRename),
               std::runtime_error);
  EXPECT_EQ(Get(path_), written);
  EXPECT_EQ(Entries(), 2);
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

TEST_F(OnDisk, HighScoreStartsWithTheStoredScoreOrZeroAndOneWarningLeavingTheFileAlone) {
  // The file's bytes, the score, and the problem the warning names ("": no warning).
  // Only the first section counts, whole names, quotes dropped, values cut at 1023.
  const std::tuple<std::string, std::int32_t, std::string> cases[] = {
      {"[VOLTARO ZIP 5]\r\nHighScore=1234\r\n", 1234, ""},
      {"[VOLTARO ZIP 5]\nHighScore=\"42\"\n", 42, ""},
      {"[VOLTARO ZIP 5]\nOther=1\n[VOLTARO ZIP 5]\nHighScore=2\n", 0, ""},
      {"[VOLTARO ZIP 50]\nHighScore=5\n", 0, ""},
      // A value is cut to its first 1023 characters.
      {"[VOLTARO ZIP 5]\nHighScore=" + std::string(1023, '0') + "7", 0, ""},
      {"[VOLTARO ZIP 5]\nHighScore=" + std::string(1022, '0') + "7", 7, ""},
      {"[voltaro zip 5]\nhighscore= -3.5 ", -4, ""},
      {"", 0, ""},
      {"\000\000\n[VOLTARO ZIP 5]\nHighScore=9\n\000"s, 9, ""},
      {"[VOLTARO ZIP 5]\nHighScore=\n", 0, "HighScore value is empty"},
      {"[VOLTARO ZIP 5]\nHighScore\nHighScore=1=2\n", 0, "HighScore value \"1=2\" is not a number"},
      {"[VOLTARO ZIP 5]\nHighScore=2147483648\n", 0,
       "HighScore value \"2147483648\" is outside -2147483648..2147483647"},
      {"[VOLTARO ZIP 5]\nHighScore=\x1b[2J\x07\n", 0,
       "HighScore value \"\\x1b[2J\\x07\" is not a number"},
      {"\177ELF\002\001\000\000\377\376\n=\000"s, 0,
       "the file holds binary data and no HighScore entry"}};
  for (const auto& [bytes, score, problem] : cases) {
    SCOPED_TRACE(PrintToString(bytes.substr(0, 40)));
    Put(path_, bytes);
    std::ostringstream warnings;
    EXPECT_EQ(ReadHighScore(appDir_, warnings), score);
    EXPECT_EQ(warnings.str(), problem.empty() ? ""
                                              : "voltaro5: warning: " + path_ + ": " + problem +
                                                    "; the best score starts at 0\n");
    EXPECT_EQ(Get(path_), bytes) << "reading must not touch the file";
  }
}

TEST_F(OnDisk, HighScoreUnusablePlacesWarnOnceEachNamingTheFileAndAreLeftAlone) {
  std::ostringstream warnings;
  EXPECT_EQ(ReadHighScore(appDir_, warnings), 0);  // missing: silently
  EXPECT_FALSE(fs::exists(path_));
  fs::create_directory(path_);
  EXPECT_EQ(ReadHighScore(appDir_, warnings), 0);
  EXPECT_FALSE(WriteHighScore(appDir_, 50, warnings));
  EXPECT_FALSE(WriteHighScore(appDir_ + "gone/", 50, warnings));
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(Entries(), 1) << "no temporary file left";
  const std::string w = "voltaro5: warning: ", store = ": cannot store the best score 50: ";
  std::istringstream lines(warnings.str());
  std::string line;
  for (const std::string& start :
       {w + path_ + ": cannot read the file (Is a directory); the best score starts at 0",
        w + path_ + store, w + appDir_ + "gone/Voltaro5.ini" + store}) {
    EXPECT_TRUE(std::getline(lines, line) && line.rfind(start, 0) == 0) << line;
  }
  EXPECT_NE(line.find("No such file or directory"), std::string::npos) << line;
  EXPECT_FALSE(std::getline(lines, line)) << line;
}

TEST_F(OnDisk, HighScoreNewRecordReplacesOnlyTheEntryKeepsTheModeAndReadsBack) {
  std::ostringstream warnings;
  for (const std::int32_t score : {1234, -5, INT32_MAX, INT32_MIN}) {
    ASSERT_TRUE(WriteHighScore(appDir_, score, warnings));
    EXPECT_EQ(ReadHighScore(appDir_, warnings), score);
  }
  EXPECT_EQ(Get(path_), "[VOLTARO ZIP 5]\nHighScore=-2147483648\n");
  Put(path_, "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=abc\r\n[Keys]\r\nFire=Z");
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path_, mode);
  ASSERT_TRUE(WriteHighScore(appDir_, 1, warnings));
  EXPECT_EQ(Get(path_), "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=1\r\n[Keys]\r\nFire=Z");
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, mode) << "the file keeps its mode";
  EXPECT_EQ(warnings.str(), "");
}

}  // namespace
}  // namespace voltaro
