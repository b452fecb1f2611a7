// The effects' samples, made once at start-up from square waves, noise and
// pitch sweeps: no sample files. Mono signed 16-bit at the device's rate; the
// same rate always gives the same samples. The mixer (mixer.h) plays them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sound/effect.h"

namespace voltaro {

struct EffectSamples {
  int sampleRate = 0;
  std::array<std::vector<std::int16_t>, kEffectCount> effects;

  const std::vector<std::int16_t>& Of(Effect effect) const {
    return effects[static_cast<std::size_t>(effect)];
  }
};

// All the effects at `sampleRate` samples a second (8000 to 192000).
EffectSamples SynthesiseEffects(int sampleRate);

}  // namespace voltaro
