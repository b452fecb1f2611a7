// The whole-file write that keeps the best score through full disks, crashes
// and odd files: every way it fails leaves the old file whole and no
// temporary file, the new bytes are synced before the rename, and links and
// the file's mode are kept. Failures of the system calls come from FileWriteOps.
#include "saves/file_write.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

const std::string kOld = "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=100\r\n[Keys]\r\nFire=Z\r\n";
const std::string kNew = "[VOLTARO ZIP 5]\nHighScore=200\n";

// A disk that takes `room` more bytes and then is full.
FileWriteOps FullAfter(std::size_t room) {
  FileWriteOps ops;
  ops.write = [room](int fd, const void* data, std::size_t size) mutable -> ssize_t {
    if (room == 0) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t written = ::write(fd, data, std::min(size, room));
    if (written > 0) room -= static_cast<std::size_t>(written);
    return written;
  };
  return ops;
}

FileWriteOps FailingSync() {
  FileWriteOps ops;
  ops.fsync = [](int) {
    errno = EIO;
    return -1;
  };
  return ops;
}

FileWriteOps FailingRename() {
  FileWriteOps ops;
  ops.rename = [](const char*, const char*) {
    errno = EXDEV;
    return -1;
  };
  return ops;
}

// The old file "a.ini" in `dir`, and the path the write is given.
fs::path OldFile(const fs::path& dir) {
  WriteWholeFile(dir / "a.ini", kOld);
  return dir / "a.ini";
}

TEST(FileWrite, EachFailureLeavesTheOldFileWholeAndNoTemporaryFile) {
  struct Case {
    const char* what;
    fs::path (*setUp)(const fs::path& dir);
    FileWriteOps ops;
    std::string reason;  // a part of the reason given
  };
  const Case cases[] = {
      {"disk full at once", OldFile, FullAfter(0), ErrnoText(ENOSPC)},
      {"disk full after one byte", OldFile, FullAfter(1), ErrnoText(ENOSPC)},
      {"disk full part-way", OldFile, FullAfter(20), ErrnoText(ENOSPC)},
      {"failed sync", OldFile, FailingSync(), ErrnoText(EIO)},
      {"failed rename", OldFile, FailingRename(), ErrnoText(EXDEV)},
      {"first record on a full disk: no file at all",
       [](const fs::path& dir) { return dir / "a.ini"; }, FullAfter(5), ErrnoText(ENOSPC)},
      {"read-only file, even for root",
       [](const fs::path& dir) {
         fs::permissions(OldFile(dir), fs::perms::owner_read);
         return dir / "a.ini";
       },
       {},
       "the file is read-only"},
      {"a folder in the file's place",
       [](const fs::path& dir) {
         fs::create_directories(dir / "a.ini" / "keep");
         return dir / "a.ini";
       },
       {},
       "not a regular file"},
      {"missing folder",
       [](const fs::path& dir) { return dir / "gone" / "a.ini"; },
       {},
       ErrnoText(ENOENT)},
      {"link that leads nowhere",
       [](const fs::path& dir) {
         fs::create_symlink(dir / "nowhere" / "a.ini", dir / "a.ini");
         return dir / "a.ini";
       },
       {},
       "cannot follow the symbolic link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TempFolder folder;
    const fs::path target = c.setUp(folder.path());
    const auto names = folder.Names();
    const std::string bytes = ReadWholeFile(target);
    std::string whyNot;
    EXPECT_FALSE(WriteFileAtomically(target, kNew, &whyNot, c.ops));
    EXPECT_THAT(whyNot, HasSubstr(c.reason));
    EXPECT_EQ(folder.Names(), names);
    EXPECT_EQ(ReadWholeFile(target), bytes);
  }
}

TEST(FileWrite, TheNewBytesAreSyncedBeforeTheRename) {
  const TempFolder folder;
  const fs::path target = OldFile(folder.path());
  std::vector<std::string> calls;
  int written = -1;
  FileWriteOps ops;
  ops.write = [&](int fd, const void* data, std::size_t size) {
    written = fd;
    calls.push_back("write");
    return ::write(fd, data, size);
  };
  ops.fsync = [&](int fd) {
    calls.push_back(fd == written ? "sync data" : "sync other");
    return ::fsync(fd);
  };
  ops.rename = [&](const char* from, const char* to) {
    calls.push_back("rename");
    return ::rename(from, to);
  };
  ASSERT_TRUE(WriteFileAtomically(target, kNew, nullptr, ops));
  EXPECT_EQ(calls, (std::vector<std::string>{"write", "sync data", "rename"}));
  EXPECT_EQ(ReadWholeFile(target), kNew);
  EXPECT_EQ(folder.Names(), std::set<std::string>{"a.ini"});
}

TEST(FileWrite, KeepsTheModeFollowsSymbolicLinksAndWritesHardLinkedFilesInPlace) {
  const TempFolder folder;
  const fs::path file = OldFile(folder.path()), soft = folder / "soft.ini";
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, mode);
  fs::create_symlink(file, soft);
  std::string whyNot;
  ASSERT_TRUE(WriteFileAtomically(soft, kNew, &whyNot)) << whyNot;
  EXPECT_TRUE(fs::is_symlink(soft));
  EXPECT_EQ(ReadWholeFile(file), kNew);
  EXPECT_EQ(fs::status(file).permissions(), mode);

  // A rename would cut the other name off: the bytes go over the old ones.
  const fs::path hard = folder / "hard.ini";
  fs::create_hard_link(file, hard);
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  ASSERT_TRUE(WriteFileAtomically(file, "short", &whyNot)) << whyNot;
  EXPECT_EQ(ReadWholeFile(hard), "short");
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  // Written in place, a full disk says so; what the file then holds is not promised.
  EXPECT_FALSE(WriteFileAtomically(file, kOld, &whyNot, FullAfter(2)));
  EXPECT_THAT(whyNot, HasSubstr(ErrnoText(ENOSPC)));
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"a.ini", "hard.ini", "soft.ini"}));
}

TEST(FileWrite, ACrashJustBeforeTheRenameLeavesTheOldFileAndLaterWritesWork) {
  const TempFolder folder;
  const fs::path target = OldFile(folder.path());
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // dies once the new bytes are complete beside the old file
    FileWriteOps dieAtRename;
    dieAtRename.rename = [](const char*, const char*) -> int { ::_exit(0); };
    WriteFileAtomically(target, kNew, nullptr, dieAtRename);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the crash never came";
  EXPECT_EQ(ReadWholeFile(target), kOld);
  EXPECT_EQ(folder.Names().size(), 2u) << "the dead process's temporary file stays";
  ASSERT_TRUE(WriteFileAtomically(target, kNew, nullptr));
  EXPECT_EQ(ReadWholeFile(target), kNew);
}

}  // namespace
}  // namespace voltaro
