// Loads a .v5replay file. A replay of the longest game is a few hundred
// kilobytes; anything far bigger is refused before it is read.
#include "replay_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "game/replay_text.h"
#include "sim_options.h"

namespace voltaro::sim {
namespace {

constexpr std::uintmax_t kMaxReplayBytes = 256u * 1024 * 1024;

}  // namespace

Recording LoadReplayFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) throw UsageError(path + ": cannot open the replay (" + error.message() + ")");
  if (!std::filesystem::is_regular_file(status)) {
    throw UsageError(path + ": not a regular file, not a replay");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kMaxReplayBytes) {
    throw UsageError(path + ": too large for a replay (" + std::to_string(size) + " bytes)");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) throw UsageError(path + ": cannot open the replay for reading");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw UsageError(path + ": read error");
  try {
    return ParseReplayText(text, path);
  } catch (const ReplayError& bad) {
    throw UsageError(bad.what());
  }
}

}  // namespace voltaro::sim
