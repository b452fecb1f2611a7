// Starting SDL's video on Windows: nothing around it; see video_start.h.
#include <SDL.h>

#include "desktop/video_start.h"

namespace voltaro {

bool StartVideo() {
  return SDL_Init(SDL_INIT_VIDEO) == 0;
}

}  // namespace voltaro
