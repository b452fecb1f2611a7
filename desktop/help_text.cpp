// The desktop's help text; see help_text.h.
#include "desktop/help_text.h"

#include <SDL.h>

#include <string>

namespace voltaro {

HelpText DesktopHelpText(const KeyBindings& keys, const PadBindings& pad) {
  HelpText help;
  for (std::size_t i = 0; i < kActionCount; ++i) {
    const auto action = static_cast<Action>(i);
    HelpRow& keyRow = help.keys.emplace_back(HelpRow{kActionLabels[i], {}});
    for (const SDL_Keycode key : keys[action]) keyRow.names.emplace_back(SDL_GetKeyName(key));
    HelpRow& padRow = help.pad.emplace_back(HelpRow{kActionLabels[i], {}});
    for (const SDL_GameControllerButton button : pad[action]) {
      const char* name = SDL_GameControllerGetStringForButton(button);
      if (name != nullptr) padRow.names.emplace_back(name);
    }
    // The left stick steers whatever the buttons do.
    if (action == Action::kLeft || action == Action::kRight) padRow.names.emplace_back("stick");
  }
  AddWindowKeyRows(help, {"F11", "Alt+Return"});
  return help;
}

}  // namespace voltaro
