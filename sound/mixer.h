// The mixer: a handful of voices playing the effects' samples together. The
// game's thread asks for effects (Trigger) and sets the volume and mute; the
// audio device's thread fills its buffers (Mix). Between the two there is
// only a ring of requests and a few atomic values, so neither ever waits for
// the other, and Mix never allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "sound/effect.h"
#include "sound/synth.h"

namespace voltaro {

inline constexpr int kDefaultVolume = 60;
inline constexpr int kMaxVolume = 100;

class Mixer {
 public:
  explicit Mixer(EffectSamples effects) : effects_(std::move(effects)) {}
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  int SampleRate() const { return effects_.sampleRate; }

  // The game's thread. A request made while the ring is full (no device
  // drains it) is dropped.
  void Trigger(Effect effect);
  // 0 to 100, clamped; 100 plays the samples as made.
  void SetVolume(int volume);
  int Volume() const { return volume_.load(std::memory_order_relaxed); }
  // Muted, the effects asked for meanwhile are never heard, not even later.
  void SetMuted(bool muted) { muted_.store(muted, std::memory_order_relaxed); }
  bool Muted() const { return muted_.load(std::memory_order_relaxed); }

  // The audio thread: the next `frames` mono samples, every voice added up and
  // clamped to the 16-bit range.
  void Mix(std::int16_t* out, std::size_t frames);

 private:
  static constexpr std::size_t kVoiceCount = 8;
  static constexpr std::uint32_t kRingSize = 32;

  struct Voice {
    const std::int16_t* samples = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    bool Playing() const { return position < size; }
  };

  void StartVoice(Effect effect);

  const EffectSamples effects_;
  std::array<Voice, kVoiceCount> voices_{};  // the audio thread's alone
  std::array<Effect, kRingSize> ring_{};
  std::atomic<std::uint32_t> written_{0};  // requests put in by the game's thread
  std::atomic<std::uint32_t> taken_{0};    // requests taken out by the audio thread
  std::atomic<int> volume_{kDefaultVolume};
  std::atomic<bool> muted_{false};
};

}  // namespace voltaro
