// The held game's picture; see overlay.h.
#include "scenes/overlay.h"

#include "gfx/pause_sign.h"

namespace voltaro {

void DrawOverlay(Surface& picture, const Sprites& sprites, Overlay overlay, const HelpText& help) {
  switch (overlay) {
    case Overlay::kNone:
      return;
    case Overlay::kPauseSign:
    case Overlay::kPauseHint:
      DrawPauseSign(picture, sprites, overlay == Overlay::kPauseHint);
      return;
    case Overlay::kHelp:
      DrawHelpPicture(picture, sprites, help);
      return;
  }
}

}  // namespace voltaro
