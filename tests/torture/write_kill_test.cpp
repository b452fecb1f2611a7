// Crash safety of the best score's file: writer processes store records in a
// loop and are killed with SIGKILL at random moments. After every kill the
// file reads back as a whole record some writer stored (the old one or a new
// one), never cut short or empty, and a later successful write leaves no
// temporary file of its own behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "saves/high_score.h"
#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

// A hand-kept file around the record, large enough that a write takes a while
// and a cut-short one would show: other sections, comments, CRLF line ends.
std::string FileWith(std::int32_t record) {
  std::string bytes = "; kept by hand\r\n[Video]\r\nScale=2\r\n\r\n[VOLTARO ZIP 5]\r\nHighScore=" +
                      std::to_string(record) + "\r\nName=Torture\r\n\r\n[Notes]\r\n";
  for (int i = 0; i < 400; ++i)
    bytes += "Line" + std::to_string(i) + "=" + std::string(40, 'x') + "\r\n";
  return bytes;
}

// Writer `w` of round `round` stores round * 1,000,000 + w * 100,000 + i for
// i = 1, 2, ... until it is killed; it exits 3 if a write ever fails.
[[noreturn]] void Writer(const std::string& appDir, int round, int w) {
  std::ostringstream warnings;
  for (std::int32_t i = 1;; ++i) {
    if (!WriteHighScore(appDir, round * 1'000'000 + w * 100'000 + i, warnings)) ::_exit(3);
  }
}

TEST(WriteKill, EveryKillLeavesAWholeRecordAndNoTemporaryFileOfALaterWrite) {
  constexpr int kWriters = 3;
  constexpr int kKills = 1200;
  const testing::TempFolder dir;
  const std::string appDir = dir.path().string() + "/";
  const std::string file = dir / "Voltaro5.ini";
  testing::WriteWholeFile(file, FileWith(7));
  std::mt19937 random(20261207);
  std::int32_t stored = 7;
  int kills = 0, strays = 0;
  for (int round = 1; kills < kKills; ++round) {
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
      const pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) Writer(appDir, round, w);
      writers.push_back(pid);
    }
    // Somewhere in the first few writes of each writer, often in the middle of one.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
    for (const pid_t pid : writers) {
      ASSERT_EQ(::kill(pid, SIGKILL), 0);
      int status = 0;
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
          << "a writer stopped by itself (a failed write) with status " << status;
      ++kills;
    }

    // Whole: exactly the file around one record, the old one or one of this round.
    const std::string bytes = testing::ReadWholeFile(file);
    std::ostringstream warnings;
    const std::int32_t record = ReadHighScoreFile(file, warnings).value_or(0);
    ASSERT_EQ(warnings.str(), "") << "after round " << round;
    ASSERT_TRUE(bytes == FileWith(record))
        << "after round " << round << ": " << bytes.size() << " bytes, record " << record;
    ASSERT_TRUE(record == stored || record / 1'000'000 == round)
        << "round " << round << " left " << record << " after " << stored;
    stored = record;

    // The dead writers' temporary files may stay; a successful write adds none.
    const std::set<std::string> before = dir.Names();
    ASSERT_TRUE(WriteHighScore(appDir, stored, warnings));
    ASSERT_EQ(dir.Names(), before) << "after round " << round;
    if (round % 50 == 0 || kills >= kKills) {  // cleared, as a person would
      strays += static_cast<int>(before.size()) - 1;
      for (const std::string& name : before) {
        if (name != "Voltaro5.ini") fs::remove(dir / name);
      }
    }
  }
  // How often a kill came between the temporary file's creation and its rename.
  std::cout << kills << " kills, " << strays << " writes cut off before their rename\n";
}

}  // namespace
}  // namespace voltaro
