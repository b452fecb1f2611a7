// Key codes of the browser matched to the desktop window's: the browser's
// keyCode already is the virtual-key code for the keys the game knows; only
// the keypad (which the desktop reports as keys of its own) and the input
// method keys need the physical key name. The page's keys are the game's own
// and cannot be bound otherwise, which the help picture tells.
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

std::optional<WindowKey> BrowserWindowKey(int keyCode) {
  constexpr int kPause = 19;
  constexpr int kF1 = 112;
  switch (keyCode) {
    case 'P':
    case kPause:
      return WindowKey::kPause;
    case kKeyEscape:
      return WindowKey::kEscape;
    case kF1:
      return WindowKey::kHelp;
    default:
      return std::nullopt;
  }
}

HelpText PageHelpText() {
  // In the order of the labels; the pads as the browser's standard mapping
  // names them.
  const char* const keys[] = {"Left", "Right", "Up", "Z", "V", "D", "Enter"};
  const char* const buttons[] = {"D-pad", "D-pad", "A", "X", "B", "Y", "Start"};
  HelpText help;
  for (std::size_t i = 0; i < kActionLabels.size(); ++i) {
    help.keys.push_back({kActionLabels[i], {keys[i]}});
    help.pad.push_back({kActionLabels[i], {buttons[i]}});
  }
  // The left stick steers as the D-pad does.
  help.pad[0].names.emplace_back("stick");
  help.pad[1].names.emplace_back("stick");
  AddWindowKeyRows(help, {"F11"});
  return help;
}

}  // namespace voltaro
