// Frame pictures for the simulator, drawn and written by the game's own
// code in gfx/.
#include "sim/frame_shots.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "gfx/frame_drawing.h"
#include "gfx/image_file.h"
#include "sim/sim_options.h"

namespace voltaro::sim {

std::string FrameShots::FileName(const std::string& dir, std::int64_t gameNo,
                                 std::int64_t frameNo) {
  char name[64];
  std::snprintf(name, sizeof name, "g%03lld_f%06lld.bmp", static_cast<long long>(gameNo),
                static_cast<long long>(frameNo));
  return (std::filesystem::path(dir) / name).string();
}

FrameShots::FrameShots(const std::string& dir, std::int64_t every) : dir_(dir), every_(every) {
  if (!dir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir)) {
      throw UsageError("--shots: cannot make the directory '" + dir + "'" +
                       (error ? ": " + error.message() : std::string()));
    }
  }
  sprites_ = LoadSprites();
  playfield_ = Surface(sprites_.background.width, sprites_.background.height);
}

void FrameShots::Frame(const GameState& game, std::int64_t gameNo, std::int64_t frameNo) {
  DrawFrame(playfield_, sprites_, game);
  if (!dir_.empty() && frameNo % every_ == 0) SaveBmp(playfield_, FileName(dir_, gameNo, frameNo));
}

}  // namespace voltaro::sim
