// Windows: SDL's own surface shows the window's pictures; see window_image.h.
#include "desktop/window_image.h"

namespace voltaro {

struct WindowImage::Connection {};

WindowImage::WindowImage(SDL_Window* /*window*/) {}

WindowImage::~WindowImage() = default;

const WindowPixels* WindowImage::Pixels(int /*width*/, int /*height*/) {
  return nullptr;
}

void WindowImage::Put(const std::vector<SDL_Rect>& /*parts*/) {}

}  // namespace voltaro
