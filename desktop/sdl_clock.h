// The desktop's clock and its sleeps: the game's millisecond clock from the
// monotonic clock, and the waits on the window system's events between frames
// and on the screens that wait for a key. The shell (sdl_shell.cpp) and the
// pause (sdl_pump.cpp) sleep here.
#pragma once

#include <cstdint>

namespace voltaro {

// Nanoseconds since the system started, on the monotonic clock.
std::uint64_t MonotonicNanoseconds();

// The game's millisecond clock (scenes/clock.h) read now.
std::int32_t ClockNow();

class EventSleep {
 public:
  // `xConnection`: the X server connection's file, -1 when not on X11.
  explicit EventSleep(int xConnection) : xConnection_(xConnection) {}

  // Pumps SDL's events and tells whether any is waiting to be handled.
  static bool EventPending();
  // Sleeps until something arrives on the window system's connection or
  // `timeoutMs` runs out; at once when an event is already pending.
  void SleepOnEvents(int timeoutMs) const;
  // Sleeps until an event is pending or the clock reads `tick`: a little
  // early rather than late.
  void WaitUntil(std::int32_t tick) const;
  // Sleeps until an event is pending, waking every `stepMs` all the same.
  void WaitForEvent(int stepMs) const;

 private:
  int xConnection_;
};

}  // namespace voltaro
