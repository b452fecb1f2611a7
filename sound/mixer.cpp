// The ring of requests and the voices; see mixer.h.
#include "sound/mixer.h"

#include <algorithm>
#include <limits>

namespace voltaro {

void Mixer::Trigger(Effect effect) {
  const std::uint32_t written = written_.load(std::memory_order_relaxed);
  if (written - taken_.load(std::memory_order_acquire) >= kRingSize) return;
  ring_[written % kRingSize] = effect;
  written_.store(written + 1, std::memory_order_release);
}

void Mixer::SetVolume(int volume) {
  volume_.store(std::clamp(volume, 0, kMaxVolume), std::memory_order_relaxed);
}

void Mixer::StartVoice(Effect effect) {
  // A free voice, or else the one closest to its end.
  Voice* voice = &voices_[0];
  for (Voice& candidate : voices_) {
    if (!candidate.Playing()) {
      voice = &candidate;
      break;
    }
    if (candidate.size - candidate.position < voice->size - voice->position) voice = &candidate;
  }
  const auto& samples = effects_.Of(effect);
  *voice = Voice{samples.data(), samples.size(), 0};
}

void Mixer::Mix(std::int16_t* out, std::size_t frames) {
  const bool muted = Muted();
  const std::uint32_t written = written_.load(std::memory_order_acquire);
  std::uint32_t taken = taken_.load(std::memory_order_relaxed);
  for (; taken != written; ++taken) {
    if (!muted) StartVoice(ring_[taken % kRingSize]);
  }
  taken_.store(taken, std::memory_order_release);
  if (muted) voices_ = {};

  const std::int32_t volume = Volume();
  for (std::size_t i = 0; i < frames; ++i) {
    std::int32_t sum = 0;
    for (Voice& voice : voices_) {
      if (voice.Playing()) sum += voice.samples[voice.position++];
    }
    sum = sum * volume / kMaxVolume;
    out[i] = static_cast<std::int16_t>(std::clamp<std::int32_t>(
        sum, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
  }
}

}  // namespace voltaro
