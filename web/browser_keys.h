// The virtual-key codes of the browser's key events: the same codes the
// desktop window gives the game for the same keys (Enter and keypad Enter 13,
// the arrows 37 to 40, letters 65 to 90, digits 48 to 57, Backspace, Tab,
// Escape and Space), and 229 for a key an input method has taken or a key
// that switches a Japanese or Korean input method on; the window's own keys
// (P, Pause, Esc, F1) and the help picture's names of the page's controls.
// Plain C++, so it is tested without a browser.
#pragma once

#include <optional>
#include <string_view>

#include "gfx/help_picture.h"
#include "scenes/key_gate.h"

namespace voltaro {

// `keyCode` is the event's legacy keyCode, `code` its physical key name
// ("ArrowLeft", "Numpad4", "Lang1"). 0 for keys the game has no code for.
int VirtualKeyFromBrowser(int keyCode, std::string_view code);

// Whether the page's own handling of a key (scrolling on the arrows, Space
// and Page keys, the search on '/') is left out: for every key the game has a
// code for, unless Ctrl, Alt or Meta is down, so the browser's shortcuts work.
bool KeepsKeyFromPage(int virtualKey, bool ctrlAltOrMeta);

// The window key a browser keyCode is (P and Pause pause, Esc, F1 the help),
// or nothing: those never reach the game, nor the browser (its own help).
std::optional<WindowKey> BrowserWindowKey(int keyCode);

// The page's keys, pad buttons and window keys for the help picture.
HelpText PageHelpText();

}  // namespace voltaro
