// The desktop's Shell; see sdl_shell.h.
#include "desktop/sdl_shell.h"

#include <SDL.h>

#include "desktop/ime_box.h"

namespace voltaro {

SdlShell::SdlShell(const Sprites& sprites)
    : window_(sprites), sleep_(window_.System()), pump_(window_, sleep_) {}

void SdlShell::Configure(const Settings& settings) {
  window_.SetOpening(settings.window);
  pump_.Configure(settings);
}

void SdlShell::ShowImeMessage() {
  ShowImeBoxAndWait(window_.Handle(), window_.XWindow(), window_.Caption());
}

void ShowFatalErrorBox(const std::string& caption, const std::string& message) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), message.c_str(), nullptr);
}

}  // namespace voltaro
