// The profile layer on strings (lookup and edit) and on disk (bounded read,
// atomic replace, failures that must leave the old file whole).
#include "app/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct LookupCase {
  const char* name;
  std::string bytes;
  std::optional<std::string> expected;
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const LookupCase& c, std::ostream* os) {
  *os << c.name;
}

class ProfileLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookup, FindsTheFirstEntryOfTheFirstSection) {
  EXPECT_EQ(FindProfileEntry(GetParam().bytes, "VOLTARO ZIP 5", "HighScore"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileLookup,
    testing::Values(
        LookupCase{"Plain", "[VOLTARO ZIP 5]\nHighScore=1234\n", "1234"},
        LookupCase{"NoFinalNewline", "[VOLTARO ZIP 5]\nHighScore=1234", "1234"},
        LookupCase{"Crlf", "[VOLTARO ZIP 5]\r\nHighScore=77\r\n", "77"},
        LookupCase{"OtherLetterCase", "[voltaro zip 5]\nHIGHSCORE=5\n", "5"},
        LookupCase{"BlanksAroundNamesAndValue", "  [  VOLTARO ZIP 5 ]  \n\t HighScore  =  12.7 \n",
                   "12.7"},
        LookupCase{"QuotedValue", "[VOLTARO ZIP 5]\nHighScore=\"42\"\n", "42"},
        LookupCase{"EmptyValue", "[VOLTARO ZIP 5]\nHighScore=\n", ""},
        LookupCase{"OtherSectionsAround",
                   "[Video]\nHighScore=9\n[VOLTARO ZIP 5]\nName=x\nHighScore=3\n[Sound]\nOn=1\n",
                   "3"},
        LookupCase{"DuplicateKeyFirstWins", "[VOLTARO ZIP 5]\nHighScore=1\nHighScore=2\n", "1"},
        LookupCase{"DuplicateSectionFirstWins",
                   "[VOLTARO ZIP 5]\nHighScore=1\n[VOLTARO ZIP 5]\nHighScore=2\n", "1"},
        LookupCase{"KeyOnlyInSecondCopyOfSection",
                   "[VOLTARO ZIP 5]\nOther=1\n[VOLTARO ZIP 5]\nHighScore=2\n", std::nullopt},
        LookupCase{"CommentedOut", "[VOLTARO ZIP 5]\n;HighScore=1\nHighScore=8\n", "8"},
        LookupCase{"OnlyACommentedEntry", "[VOLTARO ZIP 5]\n; HighScore=1\n", std::nullopt},
        LookupCase{"KeyBeforeAnySection", "HighScore=5\n[VOLTARO ZIP 5]\n", std::nullopt},
        LookupCase{"KeyInAnotherSection", "[Other]\nHighScore=5\n", std::nullopt},
        LookupCase{"LineWithoutEqualsIgnored", "[VOLTARO ZIP 5]\nHighScore\nHighScore=6\n", "6"},
        LookupCase{"SectionNameIsAPrefixOnly", "[VOLTARO ZIP 50]\nHighScore=5\n", std::nullopt},
        LookupCase{"ValueKeepsLaterEquals", "[VOLTARO ZIP 5]\nHighScore=1=2\n", "1=2"},
        LookupCase{"ByteOrderMark", "\xEF\xBB\xBF[VOLTARO ZIP 5]\r\nHighScore=4\r\n", "4"},
        LookupCase{"EmptyFile", "", std::nullopt},
        LookupCase{"BinaryJunk", "\177ELF\000\000\001[\377\n\000=\000"s, std::nullopt},
        LookupCase{"NulInsideValue", "[VOLTARO ZIP 5]\nHighScore=1\0002\n"s, "1\0002"s}),
    [](const testing::TestParamInfo<LookupCase>& param) { return param.param.name; });

TEST(ProfileLookup, CutsLongValuesToTheClassicBuffer) {
  const std::string value(2000, '7');
  const auto found =
      FindProfileEntry("[VOLTARO ZIP 5]\nHighScore=" + value + "\n", "VOLTARO ZIP 5", "HighScore");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, std::string(kProfileValueMax, '7'));
}

struct EditCase {
  const char* name;
  std::string before;
  std::string after;
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const EditCase& c, std::ostream* os) {
  *os << c.name;
}

class ProfileEdit : public testing::TestWithParam<EditCase> {};

TEST_P(ProfileEdit, ChangesOnlyTheEntry) {
  EXPECT_EQ(SetProfileEntry(GetParam().before, "VOLTARO ZIP 5", "HighScore", "900"),
            GetParam().after);
}

TEST_P(ProfileEdit, ReadsBackWhatWasWritten) {
  const std::string after = SetProfileEntry(GetParam().before, "VOLTARO ZIP 5", "HighScore", "900");
  EXPECT_EQ(FindProfileEntry(after, "VOLTARO ZIP 5", "HighScore"), "900");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileEdit,
    testing::Values(
        EditCase{"NewFile", "", "[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"ReplaceInPlace", "[VOLTARO ZIP 5]\nHighScore=12\n",
                 "[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"ReplaceKeepsCrlf", "[VOLTARO ZIP 5]\r\nHighScore=12\r\n",
                 "[VOLTARO ZIP 5]\r\nHighScore=900\r\n"},
        EditCase{"ReplaceLastLineWithoutNewline", "[VOLTARO ZIP 5]\nHighScore=12",
                 "[VOLTARO ZIP 5]\nHighScore=900"},
        EditCase{"ReplaceOtherCaseAndBlanks", "[ voltaro zip 5 ]\n  highscore = 12 \nX=1\n",
                 "[ voltaro zip 5 ]\nHighScore=900\nX=1\n"},
        EditCase{"SectionsBeforeAndAfter",
                 "; settings\r\n[Video]\r\nHighScore=3\r\n\r\n[VOLTARO ZIP 5]\r\nName=A\r\n"
                 "HighScore=5\r\n\r\n[Sound]\r\nVolume=7\r\n",
                 "; settings\r\n[Video]\r\nHighScore=3\r\n\r\n[VOLTARO ZIP 5]\r\nName=A\r\n"
                 "HighScore=900\r\n\r\n[Sound]\r\nVolume=7\r\n"},
        EditCase{"DuplicateKeyOnlyFirstReplaced", "[VOLTARO ZIP 5]\nHighScore=1\nHighScore=2\n",
                 "[VOLTARO ZIP 5]\nHighScore=900\nHighScore=2\n"},
        EditCase{"DuplicateSectionOnlyFirstTouched",
                 "[VOLTARO ZIP 5]\nA=1\n[VOLTARO ZIP 5]\nHighScore=2\n",
                 "[VOLTARO ZIP 5]\nA=1\nHighScore=900\n[VOLTARO ZIP 5]\nHighScore=2\n"},
        EditCase{"MissingKeyGoesBeforeBlankLines", "[VOLTARO ZIP 5]\nName=A\n\n\n[Sound]\nOn=1\n",
                 "[VOLTARO ZIP 5]\nName=A\nHighScore=900\n\n\n[Sound]\nOn=1\n"},
        EditCase{"ByteOrderMarkKept", "\xEF\xBB\xBF[VOLTARO ZIP 5]\nHighScore=1\n",
                 "\xEF\xBB\xBF[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"ByteOrderMarkOnlyFile", "\xEF\xBB\xBF",
                 "\xEF\xBB\xBF[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"MissingKeyInEmptySection", "[VOLTARO ZIP 5]\n[Sound]\n",
                 "[VOLTARO ZIP 5]\nHighScore=900\n[Sound]\n"},
        EditCase{"MissingKeyAtEndWithoutNewline", "[VOLTARO ZIP 5]\r\nName=A",
                 "[VOLTARO ZIP 5]\r\nName=A\r\nHighScore=900\r\n"},
        EditCase{"MissingKeyAfterComment", "[VOLTARO ZIP 5]\n; best so far\n",
                 "[VOLTARO ZIP 5]\n; best so far\nHighScore=900\n"},
        EditCase{"CommentedEntryKept", "[VOLTARO ZIP 5]\n;HighScore=1\n",
                 "[VOLTARO ZIP 5]\n;HighScore=1\nHighScore=900\n"},
        EditCase{"MissingSectionAppended", "[Video]\r\nWidth=250\r\n",
                 "[Video]\r\nWidth=250\r\n[VOLTARO ZIP 5]\r\nHighScore=900\r\n"},
        EditCase{"MissingSectionNoFinalNewline", "[Video]\nWidth=250",
                 "[Video]\nWidth=250\n[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"SingleLineWithoutBreakUsesDefault", "; hello",
                 "; hello\n[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"BlankLinesOnly", "\n\n", "\n\n[VOLTARO ZIP 5]\nHighScore=900\n"},
        EditCase{"MixedEndingsFollowTheFirst", "[A]\r\nx=1\ny=2\n",
                 "[A]\r\nx=1\ny=2\n[VOLTARO ZIP 5]\r\nHighScore=900\r\n"},
        EditCase{"BinaryJunkKeptAndSectionAppended", "\001\000\376"s,
                 "\001\000\376\n[VOLTARO ZIP 5]\nHighScore=900\n"s}),
    [](const testing::TestParamInfo<EditCase>& param) { return param.param.name; });

// ---- On disk ---------------------------------------------------------------

class ProfileDisk : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voltaro5-profile-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "Voltaro5.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Everything in the directory but the profile file itself: leftovers.
  int Leftovers() const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().filename() != "Voltaro5.ini") ++count;
    }
    return count;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(ProfileDisk, ReadTellsMissingFromUnreadable) {
  EXPECT_EQ(ReadProfileFile(path_).state, ProfileFile::State::kMissing);
  fs::create_directory(path_);
  const ProfileFile asDirectory = ReadProfileFile(path_);
  EXPECT_EQ(asDirectory.state, ProfileFile::State::kUnreadable);
  EXPECT_NE(asDirectory.error, "");
  fs::remove(path_);
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);  // must not hang waiting for a writer
  EXPECT_EQ(ReadProfileFile(path_).state, ProfileFile::State::kUnreadable);
}

TEST_F(ProfileDisk, ClassicReadFallsBackToTheDefault) {
  EXPECT_EQ(GetProfileString(path_, "VOLTARO ZIP 5", "HighScore", "0"), "0");
  Put(path_, "[voltaro zip 5]\r\nhighscore = 31 \r\n");
  EXPECT_EQ(GetProfileString(path_, "VOLTARO ZIP 5", "HighScore", "0"), "31");
  EXPECT_EQ(GetProfileString(path_, "VOLTARO ZIP 5", "Other", "dflt"), "dflt");
}

TEST_F(ProfileDisk, WriteCreatesAndUpdatesWithoutLeftovers) {
  ASSERT_TRUE(WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "10"));
  EXPECT_EQ(Get(path_), "[VOLTARO ZIP 5]\nHighScore=10\n");
  Put(path_, "[A]\r\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=10\r\n[B]\r\ny=2");
  ASSERT_TRUE(WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "-7"));
  EXPECT_EQ(Get(path_), "[A]\r\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=-7\r\n[B]\r\ny=2");
  EXPECT_EQ(GetProfileString(path_, "VOLTARO ZIP 5", "HighScore", "0"), "-7");
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(ProfileDisk, WriteKeepsTheFileMode) {
  Put(path_, "[VOLTARO ZIP 5]\nHighScore=1\n");
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "2"));
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProfileDisk, WriteThroughSymlinkReplacesTheLinkedFile) {
  const std::string real = (dir_ / "real.ini").string();
  Put(real, "[VOLTARO ZIP 5]\nHighScore=1\n");
  fs::create_symlink(real, path_);
  ASSERT_TRUE(WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "2"));
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Get(real), "[VOLTARO ZIP 5]\nHighScore=2\n");
}

// Each case sets up a failing write and names the path to write to. The
// tests run as root, which ignores permission bits, so the failures come from
// the shape of the file system instead.
struct FailingWrite {
  const char* name;
  std::string (*arrange)(const fs::path& dir, const std::string& path);
};
// Test names and failure messages show the case's name, not its bytes.
void PrintTo(const FailingWrite& c, std::ostream* os) {
  *os << c.name;
}

class ProfileWriteFailure : public ProfileDisk, public testing::WithParamInterface<FailingWrite> {};

TEST_P(ProfileWriteFailure, ReportsAndLeavesNothingBehind) {
  const std::string target = GetParam().arrange(dir_, path_);
  const fs::file_type before = fs::symlink_status(path_).type();
  std::string whyNot;
  EXPECT_FALSE(WriteProfileString(target, "VOLTARO ZIP 5", "HighScore", "5", &whyNot));
  EXPECT_NE(whyNot, "");
  EXPECT_EQ(fs::symlink_status(path_).type(), before);
  for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWriteFailure,
    testing::Values(FailingWrite{"DirectoryInPlaceOfTheFile",
                                 [](const fs::path&, const std::string& path) {
                                   fs::create_directory(path);
                                   std::ofstream(path + "/keep") << "x";
                                   return path;
                                 }},
                    FailingWrite{"MissingDirectory",
                                 [](const fs::path& dir, const std::string&) {
                                   return (dir / "missing" / "Voltaro5.ini").string();
                                 }},
                    FailingWrite{"FileInPlaceOfTheDirectory",
                                 [](const fs::path& dir, const std::string&) {
                                   std::ofstream(dir / "plain") << "x";
                                   return (dir / "plain" / "Voltaro5.ini").string();
                                 }},
                    FailingWrite{"DanglingSymlink",
                                 [](const fs::path& dir, const std::string& path) {
                                   fs::create_symlink(dir / "nowhere" / "x.ini", path);
                                   return path;
                                 }},
                    FailingWrite{"FileTooLarge",
                                 [](const fs::path&, const std::string& path) {
                                   std::ofstream{path};
                                   fs::resize_file(path, kProfileFileMaxBytes + 1);
                                   return path;
                                 }}),
    [](const testing::TestParamInfo<FailingWrite>& param) { return param.param.name; });

TEST_F(ProfileDisk, WriteRefusesTextThatWouldNotReadBack) {
  Put(path_, "[VOLTARO ZIP 5]\nHighScore=1\n");
  for (const auto& [section, key, value] :
       {std::tuple<std::string, std::string, std::string>{"VOLTARO ZIP 5", "HighScore", "1\n[X]"},
        {"VOLTARO ZIP 5", "High=Score", "1"},
        {"A]B", "HighScore", "1"},
        {"VOLTARO ZIP 5", "HighScore", "1\0002"s}}) {
    EXPECT_FALSE(WriteProfileString(path_, section, key, value)) << key << " " << value;
  }
  EXPECT_EQ(Get(path_), "[VOLTARO ZIP 5]\nHighScore=1\n");
}

TEST_F(ProfileDisk, FailureJustBeforeRenameLeavesTheOldFileWhole) {
  const std::string old = "[A]\r\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=100\r\n";
  Put(path_, old);
  std::string seenTemp;
  const auto hook = [&](const std::string& tempPath, const std::string& targetPath) {
    // The new bytes are complete and synced on disk; the target is untouched.
    seenTemp = Get(tempPath);
    EXPECT_EQ(Get(targetPath), old);
    throw std::runtime_error("power lost");
  };
  EXPECT_THROW(WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "200", nullptr, hook),
               std::runtime_error);
  EXPECT_EQ(seenTemp, "[A]\r\nx=1\r\n[VOLTARO ZIP 5]\r\nHighScore=200\r\n");
  EXPECT_EQ(Get(path_), old);
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(ProfileDisk, ProcessDyingBeforeRenameLeavesTheOldFileAndLaterWritesWork) {
  Put(path_, "[VOLTARO ZIP 5]\nHighScore=100\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "200", nullptr,
                       [](const std::string&, const std::string&) { ::_exit(0); });
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the hook never ran";
  EXPECT_EQ(Get(path_), "[VOLTARO ZIP 5]\nHighScore=100\n");
  EXPECT_EQ(Leftovers(), 1);  // the dead process's temporary file, as after a crash

  ASSERT_TRUE(WriteProfileString(path_, "VOLTARO ZIP 5", "HighScore", "300"));
  EXPECT_EQ(Get(path_), "[VOLTARO ZIP 5]\nHighScore=300\n");
}

}  // namespace
}  // namespace voltaro
