// The cost of putting a busy play frame on a 1920 x 1080 screen: by the whole
// factor (2x, black margins) and filled (2x, then smoothed to 675 x 1080). The
// window redoes the whole playfield only when it repaints; a play frame
// redoes the rows it changed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "gfx/frame_drawing.h"
#include "gfx/scaling.h"
#include "gfx/sprites.h"
#include "tests/gfx/busy_frame_state.h"

namespace {

using namespace voltaro;

void TimeEnlarging(benchmark::State& state, Scaling scaling) {
  constexpr int kScreenW = 1920;
  constexpr int kScreenH = 1080;
  const Sprites sprites = LoadSprites();
  Surface picture(kPlayfieldW, kPlayfieldH);
  DrawFrame(picture, sprites, testing::BusyFrameState());
  std::vector<std::uint32_t> screen(static_cast<std::size_t>(kScreenW) * kScreenH);
  const PlayfieldPlacement place =
      PlacePlayfield(kScreenW, kScreenH, picture.width, picture.height, scaling);
  for (auto _ : state) {
    Enlarge(picture, place, screen.data(), kScreenW, kScreenH, kScreenW * 4);
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
}

void BM_Enlarge1080Whole(benchmark::State& state) {
  TimeEnlarging(state, Scaling::kWhole);
}
BENCHMARK(BM_Enlarge1080Whole)->Unit(benchmark::kMicrosecond);

void BM_Enlarge1080Fill(benchmark::State& state) {
  TimeEnlarging(state, Scaling::kFill);
}
BENCHMARK(BM_Enlarge1080Fill)->Unit(benchmark::kMicrosecond);

}  // namespace
