// The rules' outside world without a window: random draws from a seeded
// source (after any scripted draws a test lines up), counted, and a hook that
// runs inside every event pump. The rule tests and the benchmarks play
// through it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "game/platform.h"
#include "game/random_source.h"

namespace voltaro {

class HeadlessPlatform final : public Platform {
 public:
  explicit HeadlessPlatform(std::uint64_t seed = 1) : random_(seed) {}
  explicit HeadlessPlatform(const RandomSource& random) : random_(random) {}

  // Counts the pump and runs the hook, where key handlers may change the game
  // in the middle of a placement as they would in the window.
  void PumpEvents() override {
    ++pumps_;
    if (onPump) onPump(pumps_);
  }

  float Random() override {
    float r;
    if (script_.empty()) {
      r = random_.Next();
    } else {
      r = script_.front();
      script_.pop_front();
    }
    ++drawCount_;
    return r;
  }

  // Draws returned before the seeded source's own, in this order.
  void Script(const std::vector<float>& draws) {
    script_.insert(script_.end(), draws.begin(), draws.end());
  }

  std::int64_t Pumps() const { return pumps_; }
  std::int64_t DrawCount() const { return drawCount_; }

  // Runs inside PumpEvents with the number of pumps so far, this one included.
  std::function<void(std::int64_t pump)> onPump;

 private:
  RandomSource random_;
  std::deque<float> script_;
  std::int64_t pumps_ = 0;
  std::int64_t drawCount_ = 0;
};

}  // namespace voltaro
