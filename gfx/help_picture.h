// The help picture: how to play, in the game's font over the dimmed picture
// the screen stood on: the keys and pad buttons as the player has bound them,
// the window's own keys, and the goal in two lines true to the rules. The
// front ends name their keys (desktop/help_text.cpp, web/browser_keys.cpp);
// the window and the page draw it when F1 asks for it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "gfx/sprites.h"
#include "gfx/surface.h"

namespace voltaro {

inline constexpr const char* kHelpTitle = "HOW TO PLAY";
inline constexpr const char* kHelpCloseText = "F1, ESC OR ENTER: BACK";
// How far the picture under the help is dimmed (cover_text.h): further than
// under the pause sign, as the help's text fills the picture.
inline constexpr int kHelpDimShift = 3;

// What the game's actions are called on the picture, in their order: left,
// right, jump, fire left, fire right, fire up, start.
inline constexpr std::array<const char*, 7> kActionLabels = {
    "LEFT", "RIGHT", "JUMP", "FIRE LEFT", "FIRE RIGHT", "FIRE UP", "START"};

// One line of the controls: what it does, and the keys or buttons that do it.
struct HelpRow {
  std::string what;
  std::vector<std::string> names;
  bool operator==(const HelpRow&) const = default;
};

struct HelpText {
  std::vector<HelpRow> keys;  // the keyboard's: the actions, then the window's keys
  std::vector<HelpRow> pad;   // a pad's buttons and stick
  bool operator==(const HelpText&) const = default;
};

// Dims the picture and writes the help over it. Names the font has no glyph
// for leave a gap; a list too long for its line goes on in the next one.
void DrawHelpPicture(Surface& picture, const Sprites& sprites, const HelpText& help);

// Adds the rows of the keys every front end keeps for the window, after the
// actions': pause, help, full screen (by the front end's own names) and sound.
void AddWindowKeyRows(HelpText& help, std::vector<std::string> fullscreenKeys);

}  // namespace voltaro
