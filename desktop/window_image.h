// The window's pixels in memory shared with the X server, put on the screen
// without waiting for the server: SDL's own put waits for a round trip after
// every picture, which wakes the game and the server once more each frame
// and, on a busy machine, waits for the server's turn. Here the server says
// when it has read a put (a completion event on a connection of our own), and
// the game waits only if it wants to write the image again before that,
// which at 31 ms a frame it does not.
//
// Linux under X11 with the shared-memory extension: window_image_posix.cpp.
// Elsewhere, and wherever it cannot be had (a remote display, no extension,
// an unusual visual), it is never ready and the window uses SDL's surface:
// window_image_windows.cpp. The window (sdl_window.cpp) owns it.
#pragma once

#include <SDL_rect.h>
#include <SDL_video.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace voltaro {

// Pixels to write a picture into: 0x00RRGGBB, rows `pitch` bytes apart.
struct WindowPixels {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

class WindowImage {
 public:
  // Opens the connection and checks the extension; nothing is shared yet.
  explicit WindowImage(SDL_Window* window);
  ~WindowImage();
  WindowImage(const WindowImage&) = delete;
  WindowImage& operator=(const WindowImage&) = delete;

  // The image for a client area of width x height, ready for writing (the
  // server has finished reading the last put; a new size gives a new,
  // black image), or nullptr when this way of showing is not available or
  // has failed: then the caller shows through SDL.
  const WindowPixels* Pixels(int width, int height);
  // Shows `parts` of the image (in window pixels) in the window.
  void Put(const std::vector<SDL_Rect>& parts);

 private:
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

}  // namespace voltaro
