// Where finished games are saved: every game as the last one, a new record
// also as the best one, and --record's games under the player's own name,
// numbered from the second game on with the first kept under both names.
#include "saves/replay_files.h"

#include <gtest/gtest.h>

#include <sstream>

#include "saves/replay_text.h"
#include "tests/support/temp_folder.h"

namespace voltaro {
namespace {

using testing::ReadWholeFile;

TEST(ReplaySaver, KeepsTheLastGameTheBestGameAndEveryRecordedGame) {
  const testing::TempFolder folder;
  ReplaySaver saver(folder.path().string() + "/", (folder / "mine.v5replay").string());
  Recording record, plain;
  record.score = 900;
  plain.score = 12;
  std::ostringstream warnings;
  saver.Save(record, /*newRecord=*/true, warnings);
  EXPECT_EQ(ReadWholeFile(folder / "mine.v5replay"), ReplayText(record));
  saver.Save(plain, /*newRecord=*/false, warnings);
  EXPECT_EQ(ReadWholeFile(folder / kLastReplayFile), ReplayText(plain));
  EXPECT_EQ(ReadWholeFile(folder / kBestReplayFile), ReplayText(record));
  EXPECT_EQ(ReadWholeFile(folder / "mine.v5replay.1"), ReplayText(record));
  EXPECT_EQ(ReadWholeFile(folder / "mine.v5replay.2"), ReplayText(plain));
  EXPECT_EQ(warnings.str(), "");
}

}  // namespace
}  // namespace voltaro
