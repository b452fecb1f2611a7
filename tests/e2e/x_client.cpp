// voltaro5-e2e-x: what the end-to-end tests need from the X server of $DISPLAY.
//   close WINDOW   asks a window to close the way a window manager's close
//                  button does (WM_DELETE_WINDOW), not by destroying it.
//   busy SECONDS   reads the whole screen back again and again, so that other
//                  programs' requests wait in their queues and come in bursts.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
  const std::string_view verb = argc == 3 ? argv[1] : "";
  Display* display = XOpenDisplay(nullptr);
  if ((verb != "close" && verb != "busy") || display == nullptr) {
    std::fprintf(stderr, "usage: voltaro5-e2e-x close WINDOW | busy SECONDS (with a display)\n");
    return 2;
  }
  if (verb == "close") {
    const Window window = std::strtoul(argv[2], nullptr, 0);
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
    return sent != 0 ? 0 : 1;
  }
  const Window root = DefaultRootWindow(display);
  const auto width = static_cast<unsigned>(DisplayWidth(display, DefaultScreen(display)));
  const auto height = static_cast<unsigned>(DisplayHeight(display, DefaultScreen(display)));
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(std::atof(argv[2]));
  while (std::chrono::steady_clock::now() < until) {
    XImage* image = XGetImage(display, root, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image != nullptr) XDestroyImage(image);
  }
  XCloseDisplay(display);
  return 0;
}
