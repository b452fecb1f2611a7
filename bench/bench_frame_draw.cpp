// The cost of drawing play frames: a full busy frame (every object in view,
// all eight bullets flying, both status lines with an 8-digit score), a quiet
// frame (objects parked), and the status text on its own. A play frame comes
// every 30 ms; the drawing should stay under 20 microseconds.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "gfx/blit.h"
#include "gfx/frame_drawing.h"
#include "gfx/sprites.h"
#include "gfx/text.h"
#include "tests/gfx/busy_frame_state.h"

namespace {

using namespace voltaro;

const Sprites& TheSprites() {
  static const Sprites sprites = LoadSprites();
  return sprites;
}

void BM_DrawBusyFrame(benchmark::State& state) {
  const Sprites& sprites = TheSprites();
  const GameState game = testing::BusyFrameState();
  Surface playfield(sprites.background.width, sprites.background.height);
  for (auto _ : state) {
    DrawFrame(playfield, sprites, game);
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawBusyFrame);

void BM_DrawQuietFrame(benchmark::State& state) {
  const Sprites& sprites = TheSprites();
  GameState game = testing::BusyFrameState();
  for (Enemy& e : game.Enemies) e.X = -200.0F;
  for (Coin& c : game.Coins) c.X = -100.0F;
  for (Bullet& b : game.Bullets) b.Flying = false;
  Surface playfield(sprites.background.width, sprites.background.height);
  for (auto _ : state) {
    DrawFrame(playfield, sprites, game);
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawQuietFrame);

void BM_ClearPlayfield(benchmark::State& state) {
  Surface playfield(kPlayfieldW, kPlayfieldH);
  for (auto _ : state) {
    playfield.Clear();
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ClearPlayfield);

void BM_WriteTextScoreLine(benchmark::State& state) {
  const Sprites& sprites = TheSprites();
  Surface playfield(kPlayfieldW, kPlayfieldH);
  for (auto _ : state) {
    WriteText(playfield, sprites, 0, 386, "SCORE:12345678");
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WriteTextScoreLine);

void BM_WriteTextSizeTitle(benchmark::State& state) {
  const Sprites& sprites = TheSprites();
  Surface playfield(kPlayfieldW, kPlayfieldH);
  for (auto _ : state) {
    WriteTextSize(playfield, sprites, 8, 100, 1.25F, "VOLTARO ZIP 5");
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WriteTextSizeTitle);

void BM_MaskedDrawCar(benchmark::State& state) {
  const Sprites& sprites = TheSprites();
  Surface playfield(kPlayfieldW, kPlayfieldH);
  for (auto _ : state) {
    DrawMasked(playfield, sprites.car, 100, 200);
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MaskedDrawCar);

}  // namespace
