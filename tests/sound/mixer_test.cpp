// The mixer plays what is asked for once, at the volume set, silent when
// muted, clamped where voices overlap; and the synthesiser's effects.
#include "sound/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace voltaro {
namespace {

constexpr int kRate = 8000;

const EffectSamples& Effects() {
  static const EffectSamples effects = SynthesiseEffects(kRate);
  return effects;
}

std::vector<std::int16_t> Play(Mixer& mixer, std::size_t frames) {
  std::vector<std::int16_t> out(frames, 1);
  mixer.Mix(out.data(), out.size());
  return out;
}

TEST(Mixer, PlaysWhatIsAskedOnceAtTheVolumeSetClampingOverlaps) {
  const auto& coin = Effects().Of(Effect::kCoin);
  for (const auto& [volume, voices] : {std::pair{100, 1}, {60, 1}, {1, 1}, {0, 1}, {100, 8}}) {
    Mixer mixer(Effects());
    mixer.SetVolume(volume);
    for (int i = 0; i < voices; ++i) mixer.Trigger(Effect::kCoin);
    const std::vector<std::int16_t> out = Play(mixer, coin.size() * 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
      const int sum = i < coin.size() ? coin[i] * voices * volume / 100 : 0;
      ASSERT_EQ(out[i], std::clamp(sum, -32768, 32767)) << volume << " " << voices << " " << i;
    }
  }
}

TEST(Mixer, MutedIsSilentAndForgetsWhatWasAsked) {
  Mixer mixer(Effects());
  mixer.SetMuted(true);
  mixer.Trigger(Effect::kGameOver);
  const std::vector<std::int16_t> silence(512, 0);
  EXPECT_EQ(Play(mixer, 512), silence);
  mixer.SetMuted(false);
  EXPECT_EQ(Play(mixer, 512), silence);
}

TEST(Synth, EffectsAreShortAudibleAndAlwaysTheSame) {
  const EffectSamples again = SynthesiseEffects(kRate);
  for (int i = 0; i < kEffectCount; ++i) {
    const auto& samples = Effects().effects[static_cast<std::size_t>(i)];
    ASSERT_FALSE(samples.empty()) << i;
    const double seconds = static_cast<double>(samples.size()) / kRate;
    EXPECT_LE(seconds, static_cast<Effect>(i) == Effect::kGameOver ? 1.1 : 0.5) << i;
    const auto loudest = std::max_element(samples.begin(), samples.end(),
                                          [](int a, int b) { return std::abs(a) < std::abs(b); });
    EXPECT_GT(std::abs(*loudest), 5000) << i;
    EXPECT_LT(std::abs(*loudest), 32767) << i;  // made without clipping
    EXPECT_EQ(samples, again.effects[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_THROW(SynthesiseEffects(0), std::invalid_argument);
}

}  // namespace
}  // namespace voltaro
