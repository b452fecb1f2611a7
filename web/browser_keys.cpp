// Key codes of the browser matched to the desktop window's: the browser's
// keyCode already is the virtual-key code for the keys the game knows; only
// the keypad (which the desktop reports as keys of its own) and the input
// method keys need the physical key name.
#include "web/browser_keys.h"

#include "game/key_codes.h"

namespace voltaro {
namespace {

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
  if (keyCode == kKeyProcess || IsInputMethodSwitch(code)) return kKeyProcess;
  if (code == "NumpadEnter") return kKeyEnter;
  // Keypad digits and, with Num Lock off, its arrows are keys of their own.
  if (code.starts_with("Numpad")) return kKeyNone;
  if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) return keyCode;
  // The browser's legacy codes of these keys are the game's own.
  switch (keyCode) {
    case kKeyBackspace:
    case kKeyTab:
    case kKeyEnter:
    case kKeyEscape:
    case kKeySpace:
    case kKeyLeft:
    case kKeyUp:
    case kKeyRight:
    case kKeyDown:
      return keyCode;
    default:
      return kKeyNone;
  }
}

bool KeepsKeyFromPage(int virtualKey, bool ctrlAltOrMeta) {
  return virtualKey != kKeyNone && virtualKey != kKeyProcess && !ctrlAltOrMeta;
}

}  // namespace voltaro
