// The program's random generator: seeded once, each draw a uniform single in
// [0, 1) made of 24 random bits, so it can never reach 1.
#pragma once

#include <cstdint>

namespace voltaro {

class RandomSource {
 public:
  explicit RandomSource(std::uint64_t seed) : state_(seed) {}

  // The generator's whole state: a source made from it draws exactly what
  // this one would draw next. Recordings keep it instead of a seed.
  std::uint64_t State() const { return state_; }
  static RandomSource FromState(std::uint64_t state) { return RandomSource(state); }

  // 24 bits times 2^-24: every value is exact in single precision and < 1.
  float Next() { return static_cast<float>(NextBits() >> 40) * 0x1p-24f; }

  // splitmix64: small, fast, and good enough for placing plates and coins.
  std::uint64_t NextBits() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

}  // namespace voltaro
