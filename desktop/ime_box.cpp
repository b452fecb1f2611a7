// The input-method box's own process: this program again, started with
// kImeBoxArgument (child_process.h), which shows SDL's message box and ends;
// and the game's wait for it.
#include "desktop/ime_box.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include "desktop/child_process.h"
#include "scenes/shell.h"

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
  const std::uintptr_t id = std::strtoull(window, nullptr, 10);
  if (id != 0 && SDL_Init(SDL_INIT_VIDEO) == 0) {
    parent = SDL_CreateWindowFrom(reinterpret_cast<const void*>(id));
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

void ShowImeBoxAndWait(SDL_Window* window, std::uintptr_t xWindow, const std::string& caption) {
  std::optional<ChildProcess> box =
      StartThisProgram({kImeBoxArgument, caption, std::to_string(xWindow)});
  if (!box) {
    // In this process, as a last resort.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), kImeMessage, window)) {
      WarnBoxFailed();
    }
  } else {
    // The game stands still until the box is dismissed; only a close of the
    // window is looked for meanwhile, and it ends the box with the game.
    while (!HasEnded(*box)) {
      if (CloseRequested()) {
        EndNow(*box);
        throw QuitRequested();
      }
      SDL_Delay(20);
    }
  }
  // The box took the focus from the window; that is no reason to pause, as
  // the game goes on where it stood once the box is dismissed.
  DropFocusLosses();
}

}  // namespace voltaro
