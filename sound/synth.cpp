// How each effect sounds, as a few notes played together or one after the
// other; see synth.h. A note is a square wave or noise whose pitch sweeps
// from one frequency to another while its loudness fades.
#include "sound/synth.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace voltaro {
namespace {

enum class Wave { kSquare, kNoise };

struct Note {
  double start = 0;    // seconds from the effect's start
  double seconds = 0;  // how long it sounds
  double fromHz = 0;   // pitch at its start (noise: how often it changes)
  double toHz = 0;     // pitch at its end, reached on a geometric sweep
  Wave wave = Wave::kSquare;
  double duty = 0.5;     // the square's high part of each cycle
  double fromLevel = 0;  // loudness, 1 is full scale
  double toLevel = 0;
};

// Short fades at both ends of every note, so that none starts or stops with a
// click.
constexpr double kEdgeSeconds = 0.003;

// Adds one note into `mix`, which holds the effect at full scale as doubles.
void AddNote(std::vector<double>& mix, int sampleRate, const Note& note) {
  const auto first = static_cast<std::size_t>(std::lround(note.start * sampleRate));
  const auto count = static_cast<std::size_t>(std::lround(note.seconds * sampleRate));
  if (mix.size() < first + count) mix.resize(first + count, 0.0);
  const double edge = kEdgeSeconds * sampleRate;
  double phase = 0;
  // A 15-bit shift register, the classic noise of sound chips: stepped once
  // per cycle of the note's frequency, so a falling frequency rumbles.
  std::uint32_t noise = 0x4001;
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(count);
    const double hz = note.fromHz * std::pow(note.toHz / note.fromHz, t);
    phase += hz / sampleRate;
    if (phase >= 1) {
      phase -= std::floor(phase);
      const std::uint32_t bit = (noise ^ (noise >> 1)) & 1u;
      noise = (noise >> 1) | (bit << 14);
    }
    const double high = note.wave == Wave::kSquare ? (phase < note.duty) : ((noise & 1u) != 0);
    const double fade =
        std::min({1.0, static_cast<double>(i + 1) / edge, static_cast<double>(count - i) / edge});
    const double level = (note.fromLevel + (note.toLevel - note.fromLevel) * t) * fade;
    mix[first + i] += (high != 0 ? level : -level);
  }
}

std::vector<std::int16_t> Render(int sampleRate, std::initializer_list<Note> notes) {
  std::vector<double> mix;
  for (const Note& note : notes) AddNote(mix, sampleRate, note);
  std::vector<std::int16_t> samples(mix.size());
  std::transform(mix.begin(), mix.end(), samples.begin(), [](double v) {
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
  });
  return samples;
}

}  // namespace

EffectSamples SynthesiseEffects(int sampleRate) {
  if (sampleRate < 8000 || sampleRate > 192000) {
    throw std::invalid_argument("sound: no effects at " + std::to_string(sampleRate) +
                                " samples a second");
  }
  const int r = sampleRate;
  EffectSamples bank;
  bank.sampleRate = r;
  auto set = [&bank](Effect effect, std::vector<std::int16_t> samples) {
    bank.effects[static_cast<std::size_t>(effect)] = std::move(samples);
  };
  // A thin square that springs up an octave and a half.
  set(Effect::kJump, Render(r, {{0, 0.16, 260, 820, Wave::kSquare, 0.25, 0.4, 0}}));
  // A quick falling zap.
  set(Effect::kShot, Render(r, {{0, 0.09, 1400, 350, Wave::kSquare, 0.5, 0.3, 0.05}}));
  // Two bright notes a fourth apart, the second ringing out.
  set(Effect::kCoin, Render(r, {{0, 0.06, 988, 988, Wave::kSquare, 0.5, 0.3, 0.3},
                                {0.06, 0.22, 1319, 1319, Wave::kSquare, 0.5, 0.3, 0}}));
  // A burst of noise that rumbles down as it dies.
  set(Effect::kEnemyDown, Render(r, {{0, 0.35, 6000, 300, Wave::kNoise, 0.5, 0.45, 0}}));
  // A low buzz dropping under a crunch of noise.
  set(Effect::kCarHit, Render(r, {{0, 0.3, 200, 70, Wave::kSquare, 0.5, 0.35, 0},
                                  {0, 0.12, 2500, 800, Wave::kNoise, 0.5, 0.25, 0}}));
  // Three falling notes, then a long slide to the bottom with the crash.
  set(Effect::kGameOver, Render(r, {{0, 0.17, 392, 392, Wave::kSquare, 0.5, 0.35, 0.25},
                                    {0.2, 0.17, 330, 330, Wave::kSquare, 0.5, 0.35, 0.25},
                                    {0.4, 0.17, 262, 262, Wave::kSquare, 0.5, 0.35, 0.25},
                                    {0.6, 0.45, 250, 55, Wave::kSquare, 0.5, 0.35, 0},
                                    {0.6, 0.3, 3000, 200, Wave::kNoise, 0.5, 0.2, 0}}));
  // A rising fanfare: the major chord's notes, the top one held.
  set(Effect::kNewRecord, Render(r, {{0, 0.08, 523, 523, Wave::kSquare, 0.25, 0.3, 0.3},
                                     {0.08, 0.08, 659, 659, Wave::kSquare, 0.25, 0.3, 0.3},
                                     {0.16, 0.08, 784, 784, Wave::kSquare, 0.25, 0.3, 0.3},
                                     {0.24, 0.24, 1047, 1047, Wave::kSquare, 0.25, 0.3, 0}}));
  return bank;
}

}  // namespace voltaro
