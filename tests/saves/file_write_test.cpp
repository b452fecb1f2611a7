// The whole-file write under failures a test can only bring about through its
// system calls: a disk that fills up part-way, and the order of the sync and
// the rename that keeps a record through a power cut.
#include "saves/file_write.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "saves/profile_file.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;
constexpr const char* kSection = "VOLTARO ZIP 5";
const std::string kOld = "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=100\r\n[Keys]\r\nFire=Z\r\n";

class FileWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voltaro5-write-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "Voltaro5.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Put(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Get() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  std::string path_;
};

// A disk that takes the first few bytes and then is full.
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

TEST_F(FileWrite, FullDiskFailsWithTheReasonAndLeavesTheOldFileWholeAndNoTemporaryFile) {
  for (const std::size_t room : {std::size_t{0}, std::size_t{1}, std::size_t{20}}) {
    SCOPED_TRACE(room);
    Put(kOld);
    std::string whyNot;
    EXPECT_FALSE(WriteProfileString(path_, kSection, "HighScore", "200", &whyNot, FullAfter(room)));
    EXPECT_NE(whyNot.find(std::strerror(ENOSPC)), std::string::npos) << whyNot;
    EXPECT_EQ(Get(), kOld);
    EXPECT_EQ(Names(), std::vector<std::string>{"Voltaro5.ini"});
  }
  // A first record on a full disk leaves no file at all.
  fs::remove(path_);
  EXPECT_FALSE(WriteProfileString(path_, kSection, "HighScore", "200", nullptr, FullAfter(5)));
  EXPECT_EQ(Names(), std::vector<std::string>{});
}

TEST_F(FileWrite, TheNewBytesAreSyncedBeforeTheRename) {
  Put(kOld);
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
  ASSERT_TRUE(WriteProfileString(path_, kSection, "HighScore", "200", nullptr, ops));
  EXPECT_EQ(calls, (std::vector<std::string>{"write", "sync data", "rename"}));
  EXPECT_EQ(Get(), "; mine\r\n[VOLTARO ZIP 5]\r\nHighScore=200\r\n[Keys]\r\nFire=Z\r\n");
}

TEST_F(FileWrite, AFailedSyncStopsTheWriteBeforeTheRename) {
  Put(kOld);
  FileWriteOps ops;
  ops.fsync = [](int) {
    errno = EIO;
    return -1;
  };
  bool renamed = false;
  ops.rename = [&](const char* from, const char* to) {
    renamed = true;
    return ::rename(from, to);
  };
  std::string whyNot;
  EXPECT_FALSE(WriteProfileString(path_, kSection, "HighScore", "200", &whyNot, ops));
  EXPECT_FALSE(renamed);
  EXPECT_EQ(Get(), kOld);
  EXPECT_EQ(Names(), std::vector<std::string>{"Voltaro5.ini"});
}

}  // namespace
}  // namespace voltaro
