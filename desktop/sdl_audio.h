// The desktop's sound: an SDL audio device whose callback asks the mixer for
// every buffer, and the M key that mutes and unmutes it in every scene. RunGame
// opens it once the first title picture is up and closes it before the
// window; the sleeps rest it on the screens without sound.
#pragma once

#include <SDL.h>

#include <atomic>
#include <ostream>

#include "sound/mixer.h"

namespace voltaro {

// The rate the effects are made at and the device is asked for.
inline constexpr int kAudioRate = 44100;

class SdlAudio {
 public:
  // Opens the default device at the mixer's rate, mono 16-bit (SDL converts
  // for a device that wants otherwise). When none opens, one line on
  // `warnings` says so and the game goes on silent.
  SdlAudio(Mixer& mixer, std::ostream& warnings);
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  bool Opened() const { return device_ != 0; }

  // On the screens without sound (the title, game over, the pause) the
  // device rests once its sound has ended: its thread would otherwise wake
  // for every buffer. True once it
  // rests (or never opened); false while it still sounds or has not mixed
  // two whole buffers of silence since first asked, so an effect just
  // triggered is heard first.
  bool Rest();
  // Play goes on: a resting device opens once more.
  void Wake();

 private:
  static void SDLCALL Fill(void* feed, Uint8* stream, int bytes);
  static int SDLCALL WatchMuteKey(void* mixer, SDL_Event* event);

  struct Feed {
    Mixer& mixer;
    std::atomic<unsigned> silentBuffers{0};  // in a row, counted by the callback
  };

  bool Open();

  Mixer& mixer_;
  Feed feed_{mixer_};
  bool started_ = false;  // the audio subsystem
  SDL_AudioDeviceID device_ = 0;
  bool resting_ = false;
  bool restAsked_ = false;
  unsigned silentWhenAsked_ = 0;
};

}  // namespace voltaro
