// Saving and loading .v5replay files with the same whole-file write as the
// best score, and the same bounded read.
#include "saves/replay_files.h"

#include "saves/file_write.h"
#include "saves/profile_file.h"
#include "saves/replay_text.h"

namespace voltaro {

std::optional<Recording> LoadReplayFile(const std::string& path, std::string& whyNot) {
  const ProfileFile file = ReadProfileFile(path);
  if (file.state == ProfileFile::State::kMissing) {
    whyNot = path + ": no such file";
    return std::nullopt;
  }
  if (file.state == ProfileFile::State::kUnreadable) {
    whyNot = path + ": cannot read the replay (" + file.error + ")";
    return std::nullopt;
  }
  try {
    return ParseReplayText(file.bytes, path);
  } catch (const ReplayError& error) {
    whyNot = error.what();
    return std::nullopt;
  }
}

void ReplaySaver::Save(const Recording& game, bool newRecord, std::ostream& warnings) {
  const std::string text = ReplayText(game);
  if (!directory_.empty()) {
    Write(directory_ + kLastReplayFile, text, warnings);
    if (newRecord) Write(directory_ + kBestReplayFile, text, warnings);
  }
  if (recordPath_.empty()) return;
  ++games_;
  if (games_ == 1) {
    firstGame_ = text;
    Write(recordPath_, text, warnings);
    return;
  }
  // From the second game on the games are numbered; the first one is kept
  // under the plain name too.
  if (games_ == 2) Write(recordPath_ + ".1", firstGame_, warnings);
  Write(recordPath_ + "." + std::to_string(games_), text, warnings);
}

void ReplaySaver::Write(const std::string& path, const std::string& text, std::ostream& warnings) {
  std::string whyNot;
  if (!WriteFileAtomically(path, text, &whyNot)) {
    warnings << "voltaro5: warning: " << path << ": cannot save the game's replay: " << whyNot
             << '\n';
  }
}

}  // namespace voltaro
