// Frame pictures for the simulator. The drawing code and the picture writer
// come from gfx/; a build without them (gfx/image_file.h not present yet)
// refuses --render and --shots with a clear message.
#include "sim/frame_shots.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "sim/sim_options.h"

#if __has_include("gfx/image_file.h")
#include "gfx/frame_drawing.h"
#include "gfx/image_file.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#define VOLTARO5_SIM_CAN_DRAW 1
#else
#define VOLTARO5_SIM_CAN_DRAW 0
#endif

namespace voltaro::sim {

std::string FrameShots::FileName(const std::string& dir, std::int64_t gameNo,
                                 std::int64_t frameNo) {
  char name[64];
  std::snprintf(name, sizeof name, "g%03lld_f%06lld.bmp", static_cast<long long>(gameNo),
                static_cast<long long>(frameNo));
  return (std::filesystem::path(dir) / name).string();
}

#if VOLTARO5_SIM_CAN_DRAW

struct FrameShots::Impl {
  std::string dir;
  std::int64_t every = 1;
  Sprites sprites;
  Surface playfield;
};

FrameShots::FrameShots(const std::string& dir, std::int64_t every) : impl_(new Impl) {
  impl_->dir = dir;
  impl_->every = every;
  if (!dir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir)) {
      throw UsageError("--shots: cannot make the directory '" + dir + "'" +
                       (error ? ": " + error.message() : std::string()));
    }
  }
  impl_->sprites = LoadSprites();
  impl_->playfield = Surface(impl_->sprites.background.width, impl_->sprites.background.height);
}

FrameShots::~FrameShots() = default;

void FrameShots::Frame(const GameState& game, std::int64_t gameNo, std::int64_t frameNo) {
  DrawFrame(impl_->playfield, impl_->sprites, game);
  if (!impl_->dir.empty() && frameNo % impl_->every == 0) {
    SaveBmp(impl_->playfield, FileName(impl_->dir, gameNo, frameNo));
  }
}

#else

struct FrameShots::Impl {};

FrameShots::FrameShots(const std::string& dir, std::int64_t /*every*/) {
  throw UsageError(std::string(dir.empty() ? "--render" : "--shots") +
                   ": this build of voltaro5-sim has no frame drawing yet");
}

FrameShots::~FrameShots() = default;

void FrameShots::Frame(const GameState& /*game*/, std::int64_t /*gameNo*/,
                       std::int64_t /*frameNo*/) {}

#endif

}  // namespace voltaro::sim
