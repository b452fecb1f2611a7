// The help picture's controls on the desktop (gfx/help_picture.h): the keys
// and pad buttons as the player's [Keys] and [Pad] settings bind them, by the
// names those settings take, and the window's own keys. The event pump makes
// it when the settings are read.
#pragma once

#include "desktop/key_bindings.h"
#include "gfx/help_picture.h"

namespace voltaro {

HelpText DesktopHelpText(const KeyBindings& keys, const PadBindings& pad);

}  // namespace voltaro
