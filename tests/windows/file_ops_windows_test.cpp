// The save files on Windows (saves/*_windows.cpp), run under wine: a new
// record replaces the old file whole (where rename() would refuse), every byte
// kept, names in any script, a read-only file left alone, a write that fails
// part-way leaves the old file and no temporary one; and where the record is
// kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "saves/file_write.h"
#include "saves/high_score.h"
#include "saves/profile_file.h"
#include "saves/save_place.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

// The game's paths are UTF-8 strings.
std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// CR LF, a lone LF, a Ctrl-Z and a NUL: a text-mode file would change them.
const std::string kBytes("[VOLTARO ZIP 5]\r\nHighScore=120\n\x1a\0end", 37);

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("voltaro5-" + std::to_string(std::random_device()()));
    fs::create_directories(dir_ / u8"Spieler Ø 選手");
  }
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    fs::remove_all(dir_);
  }
  static std::string Get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<fs::path> Names(const fs::path& folder) const {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename());
    return names;
  }

  fs::path dir_;
};

TEST_F(WindowsFiles, ARecordReplacesTheOldFileWithEveryByteAndNoTemporaryFile) {
  for (const fs::path& folder : {dir_, dir_ / u8"Spieler Ø 選手"}) {
    SCOPED_TRACE(Utf8(folder));
    const fs::path file = folder / u8"Voltaro5 ✓.ini";
    std::string whyNot;
    ASSERT_TRUE(WriteFileAtomically(Utf8(file), "an older and longer file\r\n", &whyNot)) << whyNot;
    ASSERT_TRUE(WriteFileAtomically(Utf8(file), kBytes, &whyNot)) << whyNot;
    EXPECT_EQ(Get(file), kBytes);
    const ProfileFile read = ReadProfileFile(Utf8(file));
    EXPECT_EQ(read.state, ProfileFile::State::kRead) << read.error;
    EXPECT_EQ(read.bytes, kBytes);
    // The file, and in the outer folder the inner one: no temporary file.
    EXPECT_EQ(Names(folder).size(), folder == dir_ ? 2u : 1u);
  }
}

TEST_F(WindowsFiles, WhatIsNoWritableFileIsNeitherReadNorReplaced) {
  const fs::path readOnly = dir_ / "ro.ini";
  std::ofstream(readOnly, std::ios::binary) << kBytes;
  fs::permissions(readOnly, fs::perms::owner_read);  // the read-only attribute
  struct Case {
    fs::path path;
    ProfileFile::State read;
    PathAccess access;
    const char* whyNotWritten;  // nullptr: written
  };
  const Case cases[] = {
      {dir_ / "none.ini", ProfileFile::State::kMissing, PathAccess::kMissing, nullptr},
      {dir_ / "no folder" / "x.ini", ProfileFile::State::kMissing, PathAccess::kMissing,
       "cannot create the temporary file"},
      {readOnly, ProfileFile::State::kRead, PathAccess::kReadOnly, "the file is read-only"},
      {dir_ / u8"Spieler Ø 選手", ProfileFile::State::kUnreadable, PathAccess::kWritable,
       "not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    EXPECT_EQ(ReadProfileFile(Utf8(c.path)).state, c.read);
    EXPECT_EQ(RealSaveProbe().access(Utf8(c.path)), c.access);
    std::string whyNot;
    EXPECT_EQ(WriteFileAtomically(Utf8(c.path), "new", &whyNot), c.whyNotWritten == nullptr);
    if (c.whyNotWritten != nullptr) {
      EXPECT_NE(whyNot.find(c.whyNotWritten), std::string::npos) << whyNot;
    }
  }
  EXPECT_EQ(Get(readOnly), kBytes);
}

TEST_F(WindowsFiles, AFullDiskLeavesTheOldFileAndTheDataIsFlushedBeforeTheMove) {
  const fs::path file = dir_ / "Voltaro5.ini";
  std::ofstream(file, std::ios::binary) << kBytes;
  bool roomLeft = true;  // for the first three bytes
  FileWriteOps full;
  full.write = [&](int fd, const void* data, std::size_t size) -> ssize_t {
    if (!roomLeft) {
      errno = ENOSPC;
      return -1;
    }
    roomLeft = false;
    return SystemWrite(fd, data, std::min<std::size_t>(size, 3));
  };
  std::string whyNot;
  EXPECT_FALSE(WriteFileAtomically(Utf8(file), "a longer record", &whyNot, full));
  EXPECT_NE(whyNot.find(std::strerror(ENOSPC)), std::string::npos) << whyNot;
  EXPECT_EQ(Get(file), kBytes);
  EXPECT_EQ(Names(dir_).size(), 2u) << "a temporary file was left behind";

  std::vector<std::string> calls;
  FileWriteOps watched;
  watched.fsync = [&](int fd) {
    calls.push_back("flush");
    return SystemSync(fd);
  };
  watched.rename = [&](const char* from, const char* to) {
    calls.push_back("move");
    return SystemRename(from, to);
  };
  ASSERT_TRUE(WriteFileAtomically(Utf8(file), "new", &whyNot, watched)) << whyNot;
  EXPECT_EQ(calls, (std::vector<std::string>{"flush", "move"}));
  EXPECT_EQ(Get(file), "new");
}

// The record beside voltaro5.exe when it can be updated, else in
// %APPDATA%\voltaro5\, else nowhere; written there and read back.
TEST_F(WindowsFiles, TheRecordIsKeptBesideTheProgramElseInAppData) {
  int number = 0;
  enum class Beside { kNothing, kReadOnlyFile, kNoFolder };
  struct Case {
    const char* what;
    Beside beside;
    bool absoluteAppData;
    SaveSpot spot;
  };
  const Case cases[] = {
      {"a folder that takes new files", Beside::kNothing, true, SaveSpot::kBesideProgram},
      {"a read-only file", Beside::kReadOnlyFile, true, SaveSpot::kDataFolder},
      {"no folder", Beside::kNoFolder, true, SaveSpot::kDataFolder},
      {"a read-only file, APPDATA relative", Beside::kReadOnlyFile, false, SaveSpot::kNowhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path root = dir_ / std::to_string(++number);
    const fs::path program = root / u8"Jöran" / u8"Spiele ✓";
    const fs::path appData = root / u8"Jöran" / "AppData" / "Roaming";
    fs::create_directories(appData);
    if (c.beside != Beside::kNoFolder) fs::create_directories(program);
    if (c.beside == Beside::kReadOnlyFile) {
      std::ofstream(program / "Voltaro5.ini") << "[VOLTARO ZIP 5]\r\nHighScore=7\r\n";
      fs::permissions(program / "Voltaro5.ini", fs::perms::owner_read);
    }
    // As SDL gives the program's folder: '\' between folders and at the end.
    const std::string programDir = Utf8(program) + "\\";
    SaveEnvironment environment;
    environment.appData = c.absoluteAppData ? Utf8(appData) : "AppData";
    const SavePlace place = ChooseSavePlace(programDir, environment, RealSaveProbe());
    EXPECT_EQ(place.spot, c.spot) << place.why;
    if (c.spot == SaveSpot::kNowhere) continue;
    const fs::path file = c.spot == SaveSpot::kBesideProgram
                              ? program / "Voltaro5.ini"
                              : appData / "voltaro5" / "Voltaro5.ini";
    EXPECT_EQ(place.iniPath, Utf8(fs::path(file.generic_u8string())));
    EXPECT_NE(DescribeSavePlace(place).find(Utf8(file)), std::string::npos)
        << DescribeSavePlace(place);
    std::ostringstream warnings;
    EXPECT_EQ(StoreBestScore(place, 4321, warnings), 4321);
    EXPECT_EQ(ReadBestScore(place, warnings), 4321);
    EXPECT_TRUE(fs::is_regular_file(file)) << warnings.str();
  }
}

TEST(WindowsSaveEnvironment, AppDataIsReadAsUtf8) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\J\u00f6ran\\AppData\\Roaming"));
  EXPECT_EQ(ProcessSaveEnvironment().appData, "C:\\Users\\J\xc3\xb6ran\\AppData\\Roaming");
}

}  // namespace
}  // namespace voltaro
