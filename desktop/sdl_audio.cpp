// The audio device and the mute key; see sdl_audio.h.
#include "desktop/sdl_audio.h"

#include <algorithm>
#include <cstdint>

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace voltaro {
namespace {

// About 23 ms a buffer at 44.1 kHz: an effect is heard within a frame or two
// of play. SDL's audio thread wakes for each buffer, and waking costs more
// than mixing: half this buffer would double sound's processor time.
constexpr Uint16 kBufferFrames = 1024;

// Without a sound card ALSA's library writes some ten lines of its own while
// SDL tries the device; the game says what failed in one line instead. SDL
// has loaded the library by now if it uses it, and only then is it quietened,
// for the open alone.
#if defined(__linux__)
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

void SetAlsaErrorHandler(AlsaErrorHandler handler) {
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
  if (alsa == nullptr) return;
  using SetHandler = int (*)(AlsaErrorHandler);
  if (auto* set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
    set(handler);
  }
  dlclose(alsa);
}
#endif

SDL_AudioDeviceID OpenWithAlsaQuiet(const SDL_AudioSpec& wanted) {
#if defined(__linux__)
  SetAlsaErrorHandler(QuietAlsa);
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  SetAlsaErrorHandler(nullptr);  // ALSA's own again
  return device;
#else
  return SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
#endif
}

}  // namespace

SdlAudio::SdlAudio(Mixer& mixer, std::ostream& warnings) : mixer_(mixer) {
  SDL_AddEventWatch(WatchMuteKey, &mixer_);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    warnings << "voltaro5: no sound: " << SDL_GetError() << '\n';
    return;
  }
  started_ = true;
  if (!Open()) warnings << "voltaro5: no sound: " << SDL_GetError() << '\n';
}

bool SdlAudio::Open() {
  SDL_AudioSpec wanted{};
  wanted.freq = mixer_.SampleRate();
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = kBufferFrames;
  wanted.callback = Fill;
  wanted.userdata = &feed_;
  device_ = OpenWithAlsaQuiet(wanted);
  if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
  return device_ != 0;
}

bool SdlAudio::Rest() {
  if (device_ == 0) return true;
  const unsigned silent = feed_.silentBuffers.load(std::memory_order_relaxed);
  if (!restAsked_ || silent < silentWhenAsked_) {
    restAsked_ = true;
    silentWhenAsked_ = silent;
    return false;
  }
  if (silent < silentWhenAsked_ + 2) return false;
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  resting_ = true;
  return true;
}

void SdlAudio::Wake() {
  restAsked_ = false;
  if (!resting_) return;
  resting_ = false;
  // A device that will not open again leaves the game silent, as at start.
  Open();
}

SdlAudio::~SdlAudio() {
  SDL_DelEventWatch(WatchMuteKey, &mixer_);
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SDLCALL SdlAudio::Fill(void* feed, Uint8* stream, int bytes) {
  auto& to = *static_cast<Feed*>(feed);
  auto* samples = reinterpret_cast<std::int16_t*>(stream);
  const std::size_t count = static_cast<std::size_t>(bytes) / sizeof(std::int16_t);
  to.mixer.Mix(samples, count);
  const bool silent = std::all_of(samples, samples + count, [](std::int16_t s) { return s == 0; });
  to.silentBuffers.store(silent ? to.silentBuffers.load(std::memory_order_relaxed) + 1 : 0,
                         std::memory_order_relaxed);
}

int SDLCALL SdlAudio::WatchMuteKey(void* mixer, SDL_Event* event) {
  if (event->type == SDL_KEYDOWN && event->key.repeat == 0 && event->key.keysym.sym == SDLK_m) {
    auto* sound = static_cast<Mixer*>(mixer);
    sound->SetMuted(!sound->Muted());
  }
  return 1;
}

}  // namespace voltaro
