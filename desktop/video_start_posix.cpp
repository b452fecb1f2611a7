// Starting SDL's video on Linux, without the compose table; see video_start.h.
//
// SDL opens an X input method as its video starts, and libX11 then parses the
// locale's whole compose table (thousands of sequences): some 8 ms of the
// game's start-up. The game reads keys, never text (text input stays off), so
// that table has nothing to do: the keys, dead keys and the Compose key among
// them, reach the game alike with it or without it. An empty table is named
// while the input method opens (the only time libX11 reads it), and only when
// the player named none of their own. The environment is put back at once,
// so the programs the game starts (the input-method box) find it as it was.
#include <SDL.h>

#include <cstdlib>

#include "desktop/video_start.h"

namespace voltaro {
namespace {

constexpr const char* kComposeFileVariable = "XCOMPOSEFILE";

}  // namespace

bool StartVideo() {
  const bool playersOwn = std::getenv(kComposeFileVariable) != nullptr;
  if (!playersOwn) setenv(kComposeFileVariable, "/dev/null", 1);
  const bool started = SDL_Init(SDL_INIT_VIDEO) == 0;
  if (!playersOwn) unsetenv(kComposeFileVariable);
  return started;
}

}  // namespace voltaro
