// The input-method box's own process: this program again, started through
// /proc/self/exe with kImeBoxArgument, which shows SDL's message box and ends;
// and the game's wait for it.
#include "desktop/ime_box.h"

#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "scenes/shell.h"

extern char** environ;

namespace voltaro {
namespace {

// The message on standard error instead; SDL's own reason says what the
// machine lacks (a helper program, fonts).
void WarnBoxFailed() {
  std::cerr << "voltaro5: " << kImeMessage << " (the message box failed: " << SDL_GetError()
            << ")\n";
}

// Pumps SDL's events and tells whether the window's close is among those
// waiting; takes none of them out of the queue.
bool CloseRequested() {
  SDL_PumpEvents();
  std::vector<SDL_Event> events(static_cast<std::size_t>(
      std::max(0, SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT))));
  const int seen = SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_PEEKEVENT,
                                  SDL_FIRSTEVENT, SDL_LASTEVENT);
  for (int i = 0; i < seen; ++i) {
    const SDL_Event& event = events[static_cast<std::size_t>(i)];
    if (event.type == SDL_QUIT) return true;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) return true;
  }
  return false;
}

// Takes the focus losses out of the queue, keeping the other window events.
void DropFocusLosses() {
  SDL_PumpEvents();
  std::vector<SDL_Event> windowEvents(static_cast<std::size_t>(
      std::max(0, SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT))));
  const int taken = SDL_PeepEvents(windowEvents.data(), static_cast<int>(windowEvents.size()),
                                   SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  for (int i = 0; i < taken; ++i) {
    if (windowEvents[static_cast<std::size_t>(i)].window.event != SDL_WINDOWEVENT_FOCUS_LOST) {
      SDL_PushEvent(&windowEvents[static_cast<std::size_t>(i)]);
    }
  }
}

}  // namespace

int RunImeBox(const char* caption, const char* window) {
  // The box belongs to the game's window, which this process knows only by
  // its X id.
  SDL_Window* parent = nullptr;
  const unsigned long id = std::strtoul(window, nullptr, 10);
  if (id != 0 && SDL_Init(SDL_INIT_VIDEO) == 0) {
    parent = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(id)));
  }
  int status = 0;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, kImeMessage, parent) != 0) {
    WarnBoxFailed();
    status = 1;
  }
  if (parent != nullptr) SDL_DestroyWindow(parent);  // the game's window itself stays
  SDL_Quit();
  return status;
}

pid_t StartImeBox(const std::string& caption, unsigned long window) {
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return -1;
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::string name = "voltaro5", argument = kImeBoxArgument, text = caption,
              id = std::to_string(window);
  char* argv[] = {name.data(), argument.data(), text.data(), id.data(), nullptr};
  pid_t box = -1;
  if (posix_spawn(&box, "/proc/self/exe", nullptr, &attributes, argv, environ) != 0) box = -1;
  posix_spawnattr_destroy(&attributes);
  return box;
}

void EndImeBox(pid_t box) {
  kill(-box, SIGKILL);
  while (waitpid(box, nullptr, 0) < 0 && errno == EINTR) {
  }
}

void ShowImeBoxAndWait(SDL_Window* window, unsigned long xWindow, const std::string& caption) {
  const pid_t box = StartImeBox(caption, xWindow);
  if (box < 0) {
    // In this process, as a last resort.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), kImeMessage, window)) {
      WarnBoxFailed();
    }
  } else {
    // The game stands still until the box is dismissed; only a close of the
    // window is looked for meanwhile, and it ends the box with the game.
    for (;;) {
      const pid_t done = waitpid(box, nullptr, WNOHANG);
      if (done == box || (done < 0 && errno != EINTR)) break;
      if (CloseRequested()) {
        EndImeBox(box);
        throw QuitRequested();
      }
      timespec step{0, 20'000'000};
      nanosleep(&step, nullptr);
    }
  }
  // The box took the focus from the window; that is no reason to pause, as
  // the game goes on where it stood once the box is dismissed.
  DropFocusLosses();
}

}  // namespace voltaro
