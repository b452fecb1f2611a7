// The message asking the player to switch the input method off, shown by a
// process of its own: the game's window stays closable while the box is open
// (closing it ends the game at once, box and all), and the game itself waits
// for the box as it always has. The shell (sdl_shell.cpp) shows it.
#pragma once

#include <SDL_video.h>

#include <cstdint>
#include <string>

namespace voltaro {

// The program runs as the box's process (child_process.h) when started with
// this argument, the caption and the game window's X id (0 for none, as on
// Windows, where the box stands on its own):
// `voltaro5 --input-method-box CAPTION WINDOW`.
inline constexpr const char* kImeBoxArgument = "--input-method-box";

// Shows the box (error icon, one OK button) over the game's window and
// returns once it is dismissed: status 0, or 1 when no box could be shown,
// with SDL's reason on stderr.
int RunImeBox(const char* caption, const char* window);

// Shows the box over the game's window (X id `xWindow`, 0 for none) and waits
// until it is dismissed, looking only for a close of the window meanwhile,
// which ends the box and throws QuitRequested. Without a box process, SDL's
// box in this process. The focus the box took is no reason to pause: those
// focus losses are taken out of the queue.
void ShowImeBoxAndWait(SDL_Window* window, std::uintptr_t xWindow, const std::string& caption);

}  // namespace voltaro
