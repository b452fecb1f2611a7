// The simulator's side of the platform door: random draws from one source
// seeded from --seed for the whole run (each value kept for the trace), no
// window events (scripted keys arrive between frames), and a message box that
// is only counted.
#pragma once

#include <cstdint>
#include <vector>

#include "game/platform.h"
#include "game/random_source.h"

namespace voltaro::sim {

class SimPlatform final : public Platform {
 public:
  explicit SimPlatform(std::uint64_t seed) : random_(seed) { draws_.reserve(256); }

  void PumpEvents() override {}

  float Random() override {
    const float r = random_.Next();
    if (recordDraws_) draws_.push_back(r);
    return r;
  }

  void ShowImeMessage() override { ++imeMessages_; }

  // Draws are kept only when a trace wants them.
  void RecordDraws(bool on) { recordDraws_ = on; }
  std::vector<float>& Draws() { return draws_; }
  std::int64_t ImeMessages() const { return imeMessages_; }

 private:
  RandomSource random_;
  std::vector<float> draws_;
  bool recordDraws_ = false;
  std::int64_t imeMessages_ = 0;
};

}  // namespace voltaro::sim
