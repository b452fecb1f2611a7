// The best score's file: the number conversion, the start-up read that never
// stops the game, and the write of a new record.
#include "app/high_score.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Error = HighScoreTextError;

struct TextCase {
  std::string text;
  std::int32_t score;
  Error error;
};

class HighScoreTextTable : public testing::TestWithParam<TextCase> {};

TEST_P(HighScoreTextTable, FloorsAndChecksTheRange) {
  const HighScoreText parsed = ParseHighScoreText(GetParam().text);
  EXPECT_EQ(parsed.error, GetParam().error) << '"' << GetParam().text << '"';
  EXPECT_EQ(parsed.score, GetParam().score) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Values, HighScoreTextTable,
    testing::Values(
        // Numbers, floored toward minus infinity.
        TextCase{"1234", 1234, Error::kNone}, TextCase{"12.7", 12, Error::kNone},
        TextCase{"-3.5", -4, Error::kNone}, TextCase{"-3", -3, Error::kNone},
        TextCase{"-3.0", -3, Error::kNone}, TextCase{"-0.001", -1, Error::kNone},
        TextCase{"0.999", 0, Error::kNone}, TextCase{"-0", 0, Error::kNone},
        TextCase{"+8", 8, Error::kNone}, TextCase{"007", 7, Error::kNone},
        TextCase{".5", 0, Error::kNone}, TextCase{"-.5", -1, Error::kNone},
        TextCase{"5.", 5, Error::kNone}, TextCase{" \t 42 \t", 42, Error::kNone},
        // Exponents, as the classic conversion took them.
        TextCase{"1e3", 1000, Error::kNone}, TextCase{"1.5E+2", 150, Error::kNone},
        TextCase{"25e-1", 2, Error::kNone}, TextCase{"-25e-1", -3, Error::kNone},
        TextCase{"1e-999999999999", 0, Error::kNone},
        TextCase{"-1e-999999999999", -1, Error::kNone}, TextCase{"0e999999999999", 0, Error::kNone},
        // The edges of 32 signed bits, exactly, without rounding through a double.
        TextCase{"2147483647", 2147483647, Error::kNone},
        TextCase{"2147483647.999999999999999999", 2147483647, Error::kNone},
        TextCase{"-2147483648", INT32_MIN, Error::kNone},
        TextCase{"-2147483647.5", INT32_MIN, Error::kNone},
        TextCase{"0000000000002147483647", 2147483647, Error::kNone},
        TextCase{"2147483648", 0, Error::kOutOfRange},
        TextCase{"-2147483648.5", 0, Error::kOutOfRange},
        TextCase{"-2147483649", 0, Error::kOutOfRange},
        TextCase{"99999999999999999999", 0, Error::kOutOfRange},
        TextCase{"1e10", 0, Error::kOutOfRange}, TextCase{"1e999999999999", 0, Error::kOutOfRange},
        // Not usable at all.
        TextCase{"", 0, Error::kEmpty}, TextCase{"   ", 0, Error::kEmpty},
        TextCase{"abc", 0, Error::kNotANumber}, TextCase{"12abc", 0, Error::kNotANumber},
        TextCase{"1 2", 0, Error::kNotANumber}, TextCase{"1,5", 0, Error::kNotANumber},
        TextCase{".", 0, Error::kNotANumber}, TextCase{"-", 0, Error::kNotANumber},
        TextCase{"+-1", 0, Error::kNotANumber}, TextCase{"1e", 0, Error::kNotANumber},
        TextCase{"1e+", 0, Error::kNotANumber}, TextCase{"e5", 0, Error::kNotANumber},
        TextCase{"1.2.3", 0, Error::kNotANumber}, TextCase{"0x10", 0, Error::kNotANumber},
        TextCase{"&H10", 0, Error::kNotANumber}, TextCase{"inf", 0, Error::kNotANumber},
        TextCase{"nan", 0, Error::kNotANumber}, TextCase{"1\0002"s, 0, Error::kNotANumber}));

class HighScoreFile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voltaro5-hiscore-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    appDir_ = std::string(pattern) + "/";
    path_ = appDir_ + "Voltaro5.ini";
  }
  void TearDown() override { fs::remove_all(appDir_); }

  void Put(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Get() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string appDir_;
  std::string path_;
};

TEST_F(HighScoreFile, MissingFileIsZeroSilentlyAndStaysMissing) {
  std::ostringstream warnings;
  EXPECT_EQ(ReadHighScore(appDir_, warnings), 0);
  EXPECT_EQ(warnings.str(), "");
  EXPECT_FALSE(fs::exists(path_));
}

struct ReadCase {
  const char* name;
  std::string bytes;
  std::int32_t score;
  std::string warning;  // the problem the warning names, or "" for none
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class HighScoreRead : public HighScoreFile, public testing::WithParamInterface<ReadCase> {};

TEST_P(HighScoreRead, StartsWithTheStoredScoreOrZeroAndOneWarning) {
  Put(GetParam().bytes);
  std::ostringstream warnings;
  EXPECT_EQ(ReadHighScore(appDir_, warnings), GetParam().score);
  const std::string text = warnings.str();
  if (GetParam().warning.empty()) {
    EXPECT_EQ(text, "");
  } else {
    EXPECT_EQ(text.rfind("voltaro5: warning: " + path_ + ": ", 0), 0u) << text;
    EXPECT_NE(text.find(GetParam().warning), std::string::npos) << text;
    EXPECT_NE(text.find("; the best score starts at 0\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line only: " << text;
  }
  EXPECT_EQ(Get(), GetParam().bytes) << "reading must not touch the file";
}

INSTANTIATE_TEST_SUITE_P(
    Files, HighScoreRead,
    testing::Values(
        ReadCase{"Stored", "[VOLTARO ZIP 5]\r\nHighScore=1234\r\n", 1234, ""},
        ReadCase{"Fraction", "[VOLTARO ZIP 5]\nHighScore= 12.7 \n", 12, ""},
        ReadCase{"NegativeFraction", "[voltaro zip 5]\nhighscore=-3.5", -4, ""},
        ReadCase{"NoSection", "[Other]\nHighScore=5\n", 0, ""},
        ReadCase{"NoKey", "[VOLTARO ZIP 5]\nName=x\n", 0, ""}, ReadCase{"EmptyFile", "", 0, ""},
        ReadCase{"Empty", "[VOLTARO ZIP 5]\nHighScore=\n", 0, "HighScore value is empty"},
        ReadCase{"Letters", "[VOLTARO ZIP 5]\nHighScore=abc\n", 0,
                 "HighScore value \"abc\" is not a number"},
        ReadCase{"TooBig", "[VOLTARO ZIP 5]\nHighScore=2147483648\n", 0,
                 "\"2147483648\" is outside -2147483648..2147483647"},
        ReadCase{"ControlBytesEscaped", "[VOLTARO ZIP 5]\nHighScore=\x1b[2J\x07\n", 0,
                 "\"\\x1b[2J\\x07\" is not a number"},
        ReadCase{"LongValueShortened",
                 "[VOLTARO ZIP 5]\nHighScore=" + std::string(3000, 'x') + "\n", 0,
                 "\"" + std::string(40, 'x') + "\"... is not a number"},
        ReadCase{"BinaryJunk", "\177ELF\002\001\000\000\377\376\n=\000"s, 0, "binary data"},
        ReadCase{"BinaryAroundAGoodEntry", "\000\000\n[VOLTARO ZIP 5]\nHighScore=9\n\000"s, 9, ""}),
    [](const testing::TestParamInfo<ReadCase>& param) { return param.param.name; });

TEST_F(HighScoreFile, DirectoryInPlaceOfTheFileWarnsAndStaysADirectory) {
  fs::create_directory(path_);
  std::ostringstream warnings;
  EXPECT_EQ(ReadHighScore(appDir_, warnings), 0);
  EXPECT_EQ(warnings.str(), "voltaro5: warning: " + path_ +
                                ": cannot read the file (Is a directory); the best score "
                                "starts at 0\n");

  std::ostringstream writeWarnings;
  EXPECT_FALSE(WriteHighScore(appDir_, 50, writeWarnings));
  EXPECT_EQ(writeWarnings.str().rfind("voltaro5: warning: " + path_ + ": cannot store", 0), 0u);
  EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(HighScoreFile, FailedWriteWarnsOnceAndNamesTheFile) {
  const std::string missingDir = appDir_ + "gone/";
  std::ostringstream warnings;
  EXPECT_FALSE(WriteHighScore(missingDir, 50, warnings));
  const std::string text = warnings.str();
  EXPECT_EQ(text.rfind("voltaro5: warning: " + missingDir + "Voltaro5.ini: ", 0), 0u) << text;
  EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
}

TEST_F(HighScoreFile, NewRecordCreatesExactlyTwoLines) {
  std::ostringstream warnings;
  ASSERT_TRUE(WriteHighScore(appDir_, 1234, warnings));
  EXPECT_EQ(Get(), "[VOLTARO ZIP 5]\nHighScore=1234\n");
  EXPECT_EQ(warnings.str(), "");
}

TEST_F(HighScoreFile, NewRecordReplacesABadValueOnlyThen) {
  const std::string bad = "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=abc\r\n[Keys]\r\nFire=Z";
  Put(bad);
  std::ostringstream warnings;
  EXPECT_EQ(ReadHighScore(appDir_, warnings), 0);
  EXPECT_EQ(Get(), bad);
  ASSERT_TRUE(WriteHighScore(appDir_, 1, warnings));
  EXPECT_EQ(Get(), "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=1\r\n[Keys]\r\nFire=Z");
}

TEST_F(HighScoreFile, WrittenScoresReadBack) {
  for (const std::int32_t score : {1, -5, 0, 2147483647, INT32_MIN}) {
    std::ostringstream warnings;
    ASSERT_TRUE(WriteHighScore(appDir_, score, warnings));
    EXPECT_EQ(ReadHighScore(appDir_, warnings), score);
    EXPECT_EQ(warnings.str(), "");
  }
  EXPECT_EQ(Get(), "[VOLTARO ZIP 5]\nHighScore=-2147483648\n");
}

TEST_F(HighScoreFile, AppDirWithoutTrailingSlashStillFindsTheFile) {
  Put("[VOLTARO ZIP 5]\nHighScore=77\n");
  std::ostringstream warnings;
  EXPECT_EQ(ReadHighScore(appDir_.substr(0, appDir_.size() - 1), warnings), 77);
}

}  // namespace
}  // namespace voltaro
