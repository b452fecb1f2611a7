// The cost of drawing play frames: a full busy frame (every object in view,
// all eight bullets flying, both status lines with an 8-digit score), a quiet
// frame (objects parked), and the status text on its own. A play frame comes
// every 30 ms; the drawing should stay under 20 microseconds.
#include <benchmark/benchmark.h>


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

// Times `draw` on a playfield-sized surface, kept from being optimised away.
template <typename Draw>
void TimeDrawing(benchmark::State& state, Draw draw) {
  Surface playfield(kPlayfieldW, kPlayfieldH);
  for (auto _ : state) {
    draw(playfield);
    benchmark::DoNotOptimize(playfield.pixels.data());
    benchmark::ClobberMemory();
  }
}

void BM_DrawBusyFrame(benchmark::State& state) {
  const GameState game = testing::BusyFrameState();
  TimeDrawing(state, [&](Surface& s) { DrawFrame(s, TheSprites(), game); });
}
BENCHMARK(BM_DrawBusyFrame);

void BM_DrawQuietFrame(benchmark::State& state) {
  GameState game = testing::BusyFrameState();
  for (Enemy& e : game.Enemies) e.X = -200.0F;
  for (Coin& c : game.Coins) c.X = -100.0F;
  for (Bullet& b : game.Bullets) b.Flying = false;
  TimeDrawing(state, [&](Surface& s) { DrawFrame(s, TheSprites(), game); });
}
BENCHMARK(BM_DrawQuietFrame);

void BM_ClearPlayfield(benchmark::State& state) {
  TimeDrawing(state, [](Surface& s) { s.Clear(); });
}
BENCHMARK(BM_ClearPlayfield);

void BM_WriteTextScoreLine(benchmark::State& state) {
  TimeDrawing(state, [](Surface& s) { WriteText(s, TheSprites(), 0, 386, "SCORE:12345678"); });
}
BENCHMARK(BM_WriteTextScoreLine);

void BM_WriteTextSizeTitle(benchmark::State& state) {
  TimeDrawing(state,
              [](Surface& s) { WriteTextSize(s, TheSprites(), 8, 100, 1.25F, "VOLTARO ZIP 5"); });
}
BENCHMARK(BM_WriteTextSizeTitle);

void BM_MaskedDrawCar(benchmark::State& state) {
  TimeDrawing(state, [](Surface& s) { DrawMasked(s, TheSprites().car, 100, 200); });
}
BENCHMARK(BM_MaskedDrawCar);

}  // namespace
