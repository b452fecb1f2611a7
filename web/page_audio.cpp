// The page's player of the effects; see page_audio.h. It lives on the page's
// own thread, wherever the game runs: the game reaches it only through
// MAIN_THREAD_EM_ASM, which runs there. The effects' samples are copied into
// the player's audio buffers at start-up (the game's memory is no place to
// keep a view of), and from then on the game only names the effect to play.
// Each cue is a new buffer source through one gain; muted, no source starts
// and the gain silences one still playing. A running context keeps the
// browser's sound device busy even in silence, so a while after the last
// effect has ended the player lets it rest, and the next cue wakes it: that
// effect starts as the device does.
#include "web/page_audio.h"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "sound/mixer.h"
#include "sound/synth.h"

// The JavaScript blocks below are handed their arguments as $0, $1 ...
#pragma clang diagnostic ignored "-Wdollar-in-identifier-extension"

namespace voltaro {
namespace {

// The rate the effects are made at; Web Audio converts to the device's.
constexpr int kPageAudioRate = 44100;

// The page's player, with the stored mute and the desktop's default volume.
// Its context is made at once: a browser that lets the page sound (one the
// player clicked in just before the reload that plays a replay, say) plays
// from the start. Others hold it until a key or a touch, whose handler is
// the only place that may resume it. The M key, with no Ctrl, Alt or Meta and
// not repeating, switches the sound off and on and tells the game to keep
// that; the browser's key code, as the game's keys use, finds M on any
// keyboard layout. A browser without Web Audio gets a player with no context.
void InstallPlayer(PageAudio* audio, bool muted, double volume) {
  // JavaScript inside, kept as written:
  // clang-format off
  MAIN_THREAD_EM_ASM(({
    const sound = {buffers: [], context: null, gain: null, muted: !!$1, volume: $2};
    try {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (Context) {
        const context = new Context();
        sound.gain = context.createGain();
        sound.gain.gain.value = sound.muted ? 0 : sound.volume;
        sound.gain.connect(context.destination);
        sound.context = context;
      }
    } catch (error) {
      sound.context = null;
    }
    // Rests the device once `seconds` of sound and then a second of
    // silence have passed without a new cue.
    sound.resting = false;
    sound.restAfter = (seconds) => {
      clearTimeout(sound.restTimer);
      sound.restTimer = setTimeout(() => {
        const context = sound.context;
        if (!context || context.state !== 'running' || !context.suspend) return;
        sound.resting = true;
        context.suspend().catch(() => {});
      }, seconds * 1000 + 1000);
    };
    sound.start = () => {
      if (sound.context && sound.context.state === 'suspended' && !sound.resting) {
        sound.context.resume().then(() => sound.restAfter(0), () => {});
      }
    };
    sound.play = (effect) => {
      const context = sound.context;
      if (sound.muted || !context || !sound.buffers[effect]) return;
      if (sound.resting) {
        sound.resting = false;
        context.resume().catch(() => {});
      } else if (context.state !== 'running') {
        return;
      }
      try {
        const source = context.createBufferSource();
        source.buffer = sound.buffers[effect];
        source.connect(sound.gain);
        source.start();
        sound.restAfter(source.buffer.duration);
      } catch (error) {
      }
    };
    if (sound.context && sound.context.state === 'running') sound.restAfter(0);
    sound.onKey = (event) => {
      sound.start();
      if (event.keyCode !== 77 || event.repeat || event.ctrlKey || event.altKey || event.metaKey) {
        return;
      }
      sound.muted = !sound.muted;
      if (sound.gain) sound.gain.gain.value = sound.muted ? 0 : sound.volume;
      _voltaro5_keep_muted($0, sound.muted ? 1 : 0);
    };
    sound.touches = ['pointerdown', 'pointerup', 'touchend'];
    document.addEventListener('keydown', sound.onKey, true);
    for (const type of sound.touches) document.addEventListener(type, sound.start, true);
    Module.voltaro5Sound = sound;
  }), audio, muted, volume);
  // clang-format on
}

// Copies one effect's samples into a buffer of the player's, as -1 to 1.
void HandOver(Effect effect, const std::vector<std::int16_t>& samples) {
  // clang-format off
  MAIN_THREAD_EM_ASM(({
    const context = Module.voltaro5Sound.context;
    if (!context || $2 === 0) return;
    try {
      const buffer = context.createBuffer(1, $2, $3);
      const to = buffer.getChannelData(0);
      const from = HEAP16.subarray($1 >> 1, ($1 >> 1) + $2);
      for (let i = 0; i < $2; ++i) to[i] = from[i] / 32768;
      Module.voltaro5Sound.buffers[$0] = buffer;
    } catch (error) {
    }
  }), static_cast<int>(effect), samples.data(), static_cast<int>(samples.size()),
      kPageAudioRate);
  // clang-format on
}

void PlayOnPage(Effect effect) {
  // clang-format off
  MAIN_THREAD_ASYNC_EM_ASM(({
    if (Module.voltaro5Sound) Module.voltaro5Sound.play($0);
  }), static_cast<int>(effect));
  // clang-format on
}

void RemovePlayer() {
  // clang-format off
  MAIN_THREAD_EM_ASM(({
    const sound = Module.voltaro5Sound;
    if (!sound) return;
    Module.voltaro5Sound = null;
    clearTimeout(sound.restTimer);
    document.removeEventListener('keydown', sound.onKey, true);
    for (const type of sound.touches) document.removeEventListener(type, sound.start, true);
    if (sound.context) sound.context.close().catch(() => {});
  }));
  // clang-format on
}

}  // namespace

PageAudio::PageAudio() : cues_(PlayOnPage) {
  InstallPlayer(this, ReadSoundMute(), static_cast<double>(kDefaultVolume) / kMaxVolume);
  // Made here and dropped once the page holds its copy.
  const EffectSamples effects = SynthesiseEffects(kPageAudioRate);
  for (int i = 0; i < kEffectCount; ++i) {
    const auto effect = static_cast<Effect>(i);
    HandOver(effect, effects.Of(effect));
  }
}

PageAudio::~PageAudio() {
  RemovePlayer();
}

HighScoreStore PageAudio::WithRecordCue(HighScoreStore store) {
  return WithRecordHook(std::move(store), [this]() { cues_.NewRecord(); });
}

void PageAudio::KeepMuted(bool muted) {
  StoreSoundMute(storage_, muted);
}

}  // namespace voltaro

// The page's M key calls in here (InstallPlayer).
extern "C" EMSCRIPTEN_KEEPALIVE void voltaro5_keep_muted(voltaro::PageAudio* audio, int muted) {
  audio->KeepMuted(muted != 0);
}
