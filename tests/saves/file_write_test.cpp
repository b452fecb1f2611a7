// The whole-file write that keeps the best score through full disks, crashes
// and odd files: every way it fails leaves the old file whole and no
// temporary file, the new bytes are synced before the rename and the folder
// after it, links and the file's mode are kept, and a folder the player may
// not write to still has its file written in place. Failures of the system
// calls come from FileWriteOps; a crash mid-write is the torture test's.
#include "saves/file_write.h"

#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
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

TEST(FileWrite, TheNewBytesAreSyncedBeforeTheRenameAndTheFolderAfterIt) {
  const TempFolder folder;
  const fs::path target = OldFile(folder.path());
  std::vector<std::string> calls;
  const auto inode = [](int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_ino : 0;
  };
  struct stat dir {};
  ASSERT_EQ(::stat(folder.path().c_str(), &dir), 0);
  ino_t written = 0;
  FileWriteOps ops;
  ops.write = [&](int fd, const void* data, std::size_t size) {
    written = inode(fd);
    calls.push_back("write");
    return ::write(fd, data, size);
  };
  ops.fsync = [&](int fd) {
    const ino_t synced = inode(fd);
    calls.push_back(synced == written      ? "sync data"
                    : synced == dir.st_ino ? "sync folder"
                                           : "other");
    return ::fsync(fd);
  };
  ops.rename = [&](const char* from, const char* to) {
    calls.push_back("rename");
    return ::rename(from, to);
  };
  ASSERT_TRUE(WriteFileAtomically(target, kNew, nullptr, ops));
  EXPECT_EQ(calls, (std::vector<std::string>{"write", "sync data", "rename", "sync folder"}));
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

// What `write` says, run in a child process as a player without privileges
// (root, who may write anywhere, becomes uid and gid 65534 there); nullopt
// when the system refuses that or the player cannot reach `folder`.
std::optional<std::string> AsPlayer(const fs::path& folder,
                                    const std::function<std::string()>& write) {
  int pipe[2];
  if (::pipe(pipe) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                              ::setgid(65534) == 0 && ::setuid(65534) == 0);
    if (!dropped || ::access(folder.c_str(), X_OK) != 0) ::_exit(77);
    const std::string said = write();
    ::_exit(::write(pipe[1], said.data(), said.size()) < 0 ? 1 : 0);
  }
  ::close(pipe[1]);
  std::string said;
  char buffer[256];
  for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
    said.append(buffer, static_cast<std::size_t>(got));
  ::close(pipe[0]);
  int status = -1;
  if (child > 0) ::waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
  return status == 0 ? said : "the child ended with status " + std::to_string(status);
}

TEST(FileWrite, AFolderThatTakesNoNewFileHasAWritableFileWrittenInPlace) {
  for (const bool exists : {true, false}) {
    SCOPED_TRACE(exists ? "a writable file" : "no file");
    const TempFolder folder;
    const fs::path target = folder / "a.ini";
    struct stat before {
    }, after{};
    if (exists) fs::permissions(OldFile(folder.path()), static_cast<fs::perms>(0666));
    ::stat(target.c_str(), &before);
    fs::permissions(folder.path(), static_cast<fs::perms>(0555));
    const std::optional<std::string> said = AsPlayer(folder.path(), [&target] {
      std::string whyNot;
      return WriteFileAtomically(target, kNew, &whyNot) ? "written" : whyNot;
    });
    fs::permissions(folder.path(), fs::perms::owner_all);
    if (!said) GTEST_SKIP() << "cannot write as an unprivileged user (uid 65534) here";
    EXPECT_THAT(*said, HasSubstr(exists ? "written" : "cannot create the temporary file"));
    EXPECT_EQ(ReadWholeFile(target), exists ? kNew : "");
    EXPECT_EQ(folder.Names().size(), exists ? 1u : 0u);
    EXPECT_EQ(::stat(target.c_str(), &after) == 0 ? after.st_ino : 0, before.st_ino);
  }
}

}  // namespace
}  // namespace voltaro
