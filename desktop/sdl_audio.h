// The desktop's sound: an SDL audio device whose callback asks the mixer for
// every buffer, and the M key that mutes and unmutes it in every scene. RunGame
// opens it once the window is up and closes it before the window.
#pragma once

#include <SDL.h>

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

 private:
  static void SDLCALL Fill(void* mixer, Uint8* stream, int bytes);
  static int SDLCALL WatchMuteKey(void* mixer, SDL_Event* event);

  Mixer& mixer_;
  bool started_ = false;  // the audio subsystem
  SDL_AudioDeviceID device_ = 0;
};

}  // namespace voltaro
