// The window's image in shared memory on X11; see window_image.h.
//
// The image lives on a connection of our own, so that its completion events
// are ours to read (SDL's connection drops events it does not know) and the
// sleep, which watches SDL's connection, is not woken by them.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

#include "desktop/window_image.h"

namespace voltaro {
namespace {

// X reports errors through one handler for the whole process. An error on
// our connection (the window gone, the segment refused) marks the image
// failed, and the window goes back to SDL's surface; any other goes on to
// the handler before ours (SDL's).
Display* ourDisplay = nullptr;
XErrorHandler handlerBefore = nullptr;
bool ourDisplayFailed = false;

int OnXError(Display* display, XErrorEvent* error) {
  if (display == ourDisplay) {
    ourDisplayFailed = true;
    return 0;
  }
  return handlerBefore != nullptr ? handlerBefore(display, error) : 0;
}

// The game's pixels are 0x00RRGGBB, 32 bits each: the window's visual must
// take them as they are, as SDL's own image does (SDL picks a DirectColor
// visual where there is one, with colour ramps that leave each value as it is).
bool TakesOurPixels(const Visual* visual, int depth) {
  return visual != nullptr && (visual->c_class == TrueColor || visual->c_class == DirectColor) &&
         depth == 24 && visual->red_mask == 0xFF0000 && visual->green_mask == 0x00FF00 &&
         visual->blue_mask == 0x0000FF;
}

}  // namespace

struct WindowImage::Connection {
  Display* display = nullptr;
  Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  GC gc = nullptr;
  int completionType = 0;
  XShmSegmentInfo segment{};
  XImage* image = nullptr;
  WindowPixels pixels;
  bool putPending = false;

  ~Connection() {
    Release();
    if (gc != nullptr) XFreeGC(display, gc);
    const XErrorHandler current = XSetErrorHandler(handlerBefore);
    if (current != OnXError) XSetErrorHandler(current);  // one set after ours stays
    ourDisplay = nullptr;
    XCloseDisplay(display);
  }

  // Until the server has read the last put, its pixels are not ours.
  void WaitForPut() {
    if (!putPending) return;
    XEvent event;
    if (XCheckTypedEvent(display, completionType, &event) == False) {
      // Not here yet: once the server answers, it has done all we asked.
      XSync(display, False);
      XCheckTypedEvent(display, completionType, &event);
    }
    putPending = false;
  }

  void Release() {
    if (image == nullptr) return;
    WaitForPut();
    XShmDetach(display, &segment);
    XSync(display, False);
    XDestroyImage(image);  // the data is the segment's: detached below
    shmdt(segment.shmaddr);
    image = nullptr;
    pixels = {};
  }

  bool Make(int width, int height) {
    image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                            &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) return false;
    const auto giveUp = [this]() {
      XDestroyImage(image);
      image = nullptr;
      return false;
    };
    if (image->bits_per_pixel != 32 || image->byte_order != LSBFirst) return giveUp();
    const std::size_t bytes =
        static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.shmid < 0) return giveUp();
    void* memory = shmat(segment.shmid, nullptr, 0);
    // Marked for removal at once: it goes when the server and we let go of
    // it, even if the game is killed.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (memory == reinterpret_cast<void*>(-1)) return giveUp();
    segment.shmaddr = image->data = static_cast<char*>(memory);
    segment.readOnly = False;
    // A display on another machine cannot share our memory: it says so here.
    XShmAttach(display, &segment);
    XSync(display, False);
    if (ourDisplayFailed) {
      shmdt(memory);
      return giveUp();
    }
    std::memset(memory, 0, bytes);
    pixels = {reinterpret_cast<std::uint32_t*>(memory), width, height, image->bytes_per_line};
    return true;
  }
};

WindowImage::WindowImage(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11 || ourDisplay != nullptr) {
    return;
  }
  Display* sdlDisplay = info.info.x11.display;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(sdlDisplay, info.info.x11.window, &attributes) == 0 ||
      !TakesOurPixels(attributes.visual, attributes.depth)) {
    return;
  }
  Display* display = XOpenDisplay(DisplayString(sdlDisplay));
  if (display == nullptr) return;
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int found = 0;
  XVisualInfo* visuals = XGetVisualInfo(display, VisualIDMask, &wanted, &found);
  if (visuals == nullptr || found < 1 || XShmQueryExtension(display) == False) {
    if (visuals != nullptr) XFree(visuals);
    XCloseDisplay(display);
    return;
  }
  connection_ = std::make_unique<Connection>();
  connection_->display = display;
  connection_->window = info.info.x11.window;
  connection_->visual = visuals[0].visual;
  connection_->depth = attributes.depth;
  XFree(visuals);
  connection_->completionType = XShmGetEventBase(display) + ShmCompletion;
  ourDisplay = display;
  ourDisplayFailed = false;
  handlerBefore = XSetErrorHandler(OnXError);
  connection_->gc = XCreateGC(display, connection_->window, 0, nullptr);
}

WindowImage::~WindowImage() = default;

const WindowPixels* WindowImage::Pixels(int width, int height) {
  if (!connection_) return nullptr;
  Connection& c = *connection_;
  if (!ourDisplayFailed && c.image != nullptr && c.pixels.width == width &&
      c.pixels.height == height) {
    c.WaitForPut();
    if (!ourDisplayFailed) return &c.pixels;
  }
  c.Release();
  if (ourDisplayFailed || width < 1 || height < 1 || !c.Make(width, height)) {
    connection_.reset();  // from now on SDL's surface
    return nullptr;
  }
  return &c.pixels;
}

void WindowImage::Put(const std::vector<SDL_Rect>& parts) {
  if (!connection_ || connection_->image == nullptr || parts.empty()) return;
  Connection& c = *connection_;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const SDL_Rect& part = parts[i];
    // The last piece asks the server to say when it has read the image.
    XShmPutImage(c.display, c.window, c.gc, c.image, part.x, part.y, part.x, part.y,
                 static_cast<unsigned>(part.w), static_cast<unsigned>(part.h),
                 i + 1 == parts.size() ? True : False);
  }
  XFlush(c.display);
  c.putPending = true;
}

}  // namespace voltaro
