// The input-method box's own process: this program again, started through
// /proc/self/exe with kImeBoxArgument, which shows SDL's message box and ends.
#include "desktop/ime_box.h"

#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "scenes/shell.h"

extern char** environ;

namespace voltaro {

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
    // SDL's own reason says what the machine lacks (a helper program, fonts).
    std::cerr << "voltaro5: " << kImeMessage << " (the message box failed: " << SDL_GetError()
              << ")\n";
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

}  // namespace voltaro
