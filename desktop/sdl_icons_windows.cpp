// The window's icons on Windows: the icon the .exe carries
// (packaging/windows/), which holds every size from 16 to 256 pixels drawn
// from the same art, in the title bar's and the task bar's sizes; see
// sdl_icons.h. A program without it (a test build) keeps SDL's picture.
#include <SDL.h>
#include <SDL_syswm.h>
#include <windows.h>

#include "desktop/sdl_icons.h"

namespace voltaro {
namespace {

// The icon's resource number in packaging/windows/voltaro5.rc.
constexpr WORD kIconResource = 1;

void SetIcon(HWND window, WPARAM which, int widthMetric, int heightMetric) {
  const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource),
                                 IMAGE_ICON, GetSystemMetrics(widthMetric),
                                 GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR | LR_SHARED);
  if (icon != nullptr) SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

void SetSystemIcons(SDL_Window* window, const SpritePair&, const SpritePair&) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_WINDOWS) {
    return;
  }
  SetIcon(info.info.win.window, ICON_BIG, SM_CXICON, SM_CYICON);
  SetIcon(info.info.win.window, ICON_SMALL, SM_CXSMICON, SM_CYSMICON);
}

}  // namespace voltaro
