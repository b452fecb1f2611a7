// voltaro5-e2e-close WINDOW: asks an X window to close the way a window
// manager's close button does, with a WM_DELETE_WINDOW client message (unlike
// destroying the window, which gives the program no say). The display comes
// from $DISPLAY; WINDOW is a decimal or 0x-prefixed hexadecimal window id.
#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: voltaro5-e2e-close WINDOW\n");
    return 2;
  }
  errno = 0;
  char* end = nullptr;
  const unsigned long window = std::strtoul(argv[1], &end, 0);
  if (*argv[1] == '\0' || *end != '\0' || errno != 0 || window == 0) {
    std::fprintf(stderr, "voltaro5-e2e-close: '%s' is not a window id\n", argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "voltaro5-e2e-close: cannot open the X display\n");
    return 1;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  if (sent == 0) {
    std::fprintf(stderr, "voltaro5-e2e-close: the X server refused the message\n");
    return 1;
  }
  return 0;
}
