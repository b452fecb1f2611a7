// What the desktop needs from the system below SDL: the monotonic clock, the
// window system's connection watched for input, a sleep that wakes on that
// input or precisely at a deadline, and a fine timer tick while play runs.
// One file per system, chosen by CMake: window_system_posix.cpp (Linux: X11,
// poll, clock_gettime) and window_system_windows.cpp. The clock and the
// sleeps (sdl_clock.cpp) and the window (sdl_window.cpp) use it.
#pragma once

#include <SDL_video.h>

#include <cstdint>

namespace voltaro {

// Nanoseconds since the system started, on the monotonic clock.
std::uint64_t MonotonicNanoseconds();

// A deadline that never comes: the sleep lasts until something arrives.
inline constexpr std::uint64_t kNoDeadline = ~std::uint64_t{0};

class WindowSystem {
 public:
  // Watches the connection `window` was opened on, when the system has one.
  explicit WindowSystem(SDL_Window* window);
  ~WindowSystem();
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;

  // The window's X id for the input-method box; 0 when not on X11.
  unsigned long XWindow() const { return xWindow_; }

  // True when input SDL has not read yet waits for it: on the connection, or
  // already taken in by the X library with a reply it waited for (the one
  // after each picture shown), which the connection no longer shows. Never
  // blocks.
  bool InputWaiting() const;
  // Sleeps until input arrives on the connection, a close signal comes
  // (SIGINT, SIGTERM), or the monotonic clock reaches `deadlineNs`, and not
  // much past it; kNoDeadline waits for the first two alone. False when only
  // the time ran out: nothing came that SDL needs to read.
  bool SleepUntil(std::uint64_t deadlineNs) const;
  // When the sleep last saw an input device appear or go (a pad plugged in,
  // which SDL finds only when it reads its events), on the monotonic clock;
  // 0 for never or where the system's own wait sees it.
  std::uint64_t DevicesChangedNs() const { return devicesChangedNs_; }
  // While play runs, frames keep their millisecond: the system's timer ticks
  // finely enough (Windows' default tick is 15.6 ms), and on Linux the game's
  // thread runs before ordinary programs (real-time round robin, where the
  // system allows it), which a busy machine otherwise keeps waiting for
  // several milliseconds even at a raised priority. Off: as before.
  void KeepFramesSteady(bool steady);

 private:
  void* display_ = nullptr;       // the X display, when on X11
  int connection_ = -1;           // its file
  int signalPipe_[2] = {-1, -1};  // the close signals wake the sleep through it
  int devices_ = -1;              // watches the input devices come and go
  mutable std::uint64_t devicesChangedNs_ = 0;
  unsigned long xWindow_ = 0;
  bool steady_ = false;
};

}  // namespace voltaro
