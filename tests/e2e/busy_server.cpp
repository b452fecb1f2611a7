// voltaro5-e2e-busy SECONDS: keeps the X server of $DISPLAY busy by reading
// the whole screen back again and again over one connection, for at most
// SECONDS. Requests that other programs send meanwhile wait in their queues
// and are then handled in a burst, which is the setting in which a program
// that talks to the server over two connections sees its requests reordered.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: voltaro5-e2e-busy SECONDS\n");
    return 2;
  }
  errno = 0;
  char* end = nullptr;
  const double seconds = std::strtod(argv[1], &end);
  if (*argv[1] == '\0' || *end != '\0' || errno != 0 || !(seconds > 0 && seconds < 3600)) {
    std::fprintf(stderr, "voltaro5-e2e-busy: '%s' is not a number of seconds below 3600\n",
                 argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "voltaro5-e2e-busy: cannot open the X display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, root, &attributes);
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until) {
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image != nullptr) XDestroyImage(image);
  }
  XCloseDisplay(display);
  return 0;
}
