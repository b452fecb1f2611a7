// The desktop's clock and its sleeps: the game's millisecond clock from the
// monotonic clock, the reading of the window system's events into SDL's
// queue, and the waits on them between frames and on the screens that wait
// for a key. The shell (sdl_shell.cpp) and the event pump (sdl_pump.cpp) read
// and sleep here; what is particular to a system is in window_system.h.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "desktop/window_system.h"

namespace voltaro {

// The game's millisecond clock (scenes/clock.h) read now.
std::int32_t ClockNow();

class EventSleep {
 public:
  // `system` must outlive the sleep.
  explicit EventSleep(const WindowSystem& system) : system_(system) {}

  // Reads what the window system and the pads sent into SDL's queue: always
  // when asked to, else once a millisecond with pads open, or now and then.
  void ReadEvents(bool always = false);
  // Whether a pad is open, whose input only a read of SDL's events finds.
  void SetPadsOpen(bool open) { padsOpen_ = open; }
  // Reads events as above and tells whether any is waiting to be handled.
  bool EventPending();
  // Sleeps until something arrives from the window system or `timeoutMs`
  // runs out (never, for 0); at once when an event is already pending.
  void SleepOnEvents(int timeoutMs);
  // Sleeps until an event is pending or the clock reads `tick`.
  void WaitUntil(std::int32_t tick);
  // Sleeps until an event is pending, waking every `stepMs` all the same
  // (for pads, whose input does not wake it), or for nothing else if 0.
  void WaitForEvent(int stepMs);
  // One sleep of a screen that waits for a key (game over, the pause), as
  // SleepOnEvents; it also lets the sound rest once it has ended.
  void SleepStill(int stepMs);
  // How the sound rests (true once it does) on the screens without sound
  // and wakes before the next frame of play.
  void SetSoundRest(std::function<bool()> rest, std::function<void()> wake) {
    restSound_ = std::move(rest);
    wakeSound_ = std::move(wake);
  }
  // Whether the frames on the clock sound: play's do, the title's do not.
  void SetSoundWanted(bool wanted) { soundWanted_ = wanted; }

 private:
  // Sleeps until an event may be pending or the monotonic clock reaches
  // `deadlineNs`, and reads whatever woke it.
  void SleepUntil(std::uint64_t deadlineNs);

  const WindowSystem& system_;
  std::uint64_t lastReadNs_ = 0;
  bool everRead_ = false;
  bool padsOpen_ = false;
  std::function<bool()> restSound_;
  std::function<void()> wakeSound_;
  bool soundResting_ = false;
  bool soundWanted_ = false;
};

}  // namespace voltaro
