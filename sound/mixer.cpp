// The ring of requests and the voices; see mixer.h.
#include "sound/mixer.h"

#include <algorithm>
#include <cstdint>

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

  // A chunk at a time, voice by voice: most of the time no voice plays and
  // the chunk is plain silence.
  const std::int32_t volume = Volume();
  std::array<std::int32_t, 256> sum;
  for (std::size_t done = 0; done < frames;) {
    const std::size_t count = std::min(sum.size(), frames - done);
    std::fill_n(sum.begin(), count, 0);
    for (Voice& voice : voices_) {
      const std::size_t n = std::min(count, voice.size - voice.position);
      for (std::size_t i = 0; i < n; ++i) sum[i] += voice.samples[voice.position + i];
      voice.position += n;
    }
    for (std::size_t i = 0; i < count; ++i) {
      out[done + i] = static_cast<std::int16_t>(std::clamp(
          sum[i] * volume / kMaxVolume, std::int32_t{INT16_MIN}, std::int32_t{INT16_MAX}));
    }
    done += count;
  }
}

}  // namespace voltaro
