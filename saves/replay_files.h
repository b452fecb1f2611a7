// Recorded games on disk: every finished game is saved as "last.v5replay"
// beside the best-score file, a new record also as "best.v5replay", and with
// --record each game also to the player's own file. Loaded back for --replay.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "game/recording.h"

namespace voltaro {

inline constexpr const char* kLastReplayFile = "last.v5replay";
inline constexpr const char* kBestReplayFile = "best.v5replay";

// Reads and checks a replay file. On any problem returns nothing, with one
// line naming the file (and the line) in `whyNot`.
std::optional<Recording> LoadReplayFile(const std::string& path, std::string& whyNot);

// Saves finished games. `directory` (ending in '/', or empty for nowhere) is
// where the best-score file lives; `recordPath` is --record's file or empty.
class ReplaySaver {
 public:
  ReplaySaver(std::string directory, std::string recordPath)
      : directory_(std::move(directory)), recordPath_(std::move(recordPath)) {}

  void SetDirectory(std::string directory) { directory_ = std::move(directory); }

  // Writes each file whole or not at all (atomically, as the best score);
  // a failure costs one warning line and the game goes on.
  void Save(const Recording& game, bool newRecord, std::ostream& warnings);

 private:
  void Write(const std::string& path, const std::string& text, std::ostream& warnings);

  std::string directory_;
  std::string recordPath_;
  std::int64_t games_ = 0;
  std::string firstGame_;  // --record's first game, copied to FILE.1 when a second comes
};

}  // namespace voltaro
