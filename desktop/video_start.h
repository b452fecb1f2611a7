// Starting SDL's video, the first thing the window (sdl_window.cpp) does, with
// what each system needs around it: one file per system, chosen by CMake
// (video_start_posix.cpp, video_start_windows.cpp).
#pragma once

namespace voltaro {

// SDL_Init(SDL_INIT_VIDEO); false when it fails (SDL_GetError says why).
bool StartVideo();

}  // namespace voltaro
