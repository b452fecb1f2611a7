// Key codes of the browser matched to the desktop window's: the browser's
// keyCode already is the virtual-key code for the keys the game knows; only
// the keypad (which the desktop reports as keys of its own) and the input
// method keys need the physical key name.
#include "web/browser_keys.h"

namespace voltaro {
namespace {

constexpr int kProcessKey = 229;  // the code of a key an input method has taken

// Physical keys that switch a Japanese or Korean input method on, reported
// with the input method's code like on the desktop.
bool IsInputMethodSwitch(std::string_view code) {
  for (std::string_view name :
       {"Lang1", "Lang2", "Lang3", "Lang4", "Lang5", "KanaMode", "HangulMode", "Hanja"}) {
    if (code == name) return true;
  }
  return false;
}

}  // namespace

int VirtualKeyFromBrowser(int keyCode, std::string_view code) {
  if (keyCode == kProcessKey || IsInputMethodSwitch(code)) return kProcessKey;
  if (code == "NumpadEnter") return 13;
  // Keypad digits and, with Num Lock off, its arrows are keys of their own.
  if (code.starts_with("Numpad")) return 0;
  if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) return keyCode;
  switch (keyCode) {
    case 8:   // Backspace
    case 9:   // Tab
    case 13:  // Enter
    case 27:  // Escape
    case 32:  // Space
    case 37:  // Left
    case 38:  // Up
    case 39:  // Right
    case 40:  // Down
      return keyCode;
    default:
      return 0;
  }
}

bool KeepsKeyFromPage(int virtualKey, bool ctrlAltOrMeta) {
  return virtualKey != 0 && virtualKey != kProcessKey && !ctrlAltOrMeta;
}

}  // namespace voltaro
