// The player's settings, kept beside the best score in Voltaro5.ini, each in a
// section of its own:
//   [Window]  Scale=1..16, Fullscreen=0|1, PauseOnFocusLoss=0|1, Scaling=integer|fill
//   [Keys]    Left, Right, Jump, FireLeft, FireRight, FireUp, Start: lists of
//             key names ("FireLeft=Z, J", "Start=Enter"; see KeysNamed)
//   [Pad]     the same actions: lists of SDL game-controller button names
//   [Sound]   Volume=0..100, Mute=0|1
// In these sections a value may end in a comment after " ;". A key bound here
// is taken from any action that keeps its default keys.
// Read once at start-up; a bad entry never stops the game: one warning names
// the file, the line and the problem, and that entry keeps its default. So do
// a section the game does not know and a section written twice.
// [Window] and Mute are written back when the window closes, if the player
// changed them.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "desktop/key_bindings.h"

namespace voltaro {

inline constexpr const char* kWindowSection = "Window";
inline constexpr const char* kKeysSection = "Keys";
inline constexpr const char* kPadSection = "Pad";
inline constexpr const char* kSoundSection = "Sound";

struct WindowSettings {
  int scale = 1;  // the factor the window opens at
  bool fullscreen = false;
  bool pauseOnFocusLoss = true;
  bool fill = false;  // Scaling=fill: as large as fits, not only whole factors

  bool operator==(const WindowSettings&) const = default;
};

struct SoundSettings {
  int volume = 60;  // 0 to 100
  bool mute = false;

  bool operator==(const SoundSettings&) const = default;
};

struct Settings {
  WindowSettings window;
  SoundSettings sound;
  KeyBindings keys = DefaultKeyBindings();
  PadBindings pad = DefaultPadBindings();
};

// A whole number from `low` to `high` (at most 999), blanks around it
// ignored; the settings' numbers and the command line's are read alike.
std::optional<int> ParseWhole(std::string_view text, int low, int high);

// The settings in a file's bytes; `path` only names the file in warnings.
Settings ParseSettings(std::string_view bytes, const std::string& path, std::ostream& warnings);

// The settings in the file at `path`. A missing file gives the defaults
// silently, and so does one that cannot be read (the best score's reader
// already says so).
Settings ReadSettings(const std::string& path, std::ostream& warnings);

// Writes Scale and Fullscreen in [Window] where `closing` differs from
// `opened`, keeping every other byte of the file (atomic writes). A failure is
// one warning; false then.
bool SaveWindowSettings(const std::string& path, const WindowSettings& opened,
                        const WindowSettings& closing, std::ostream& warnings);

// Writes Mute in [Sound] as the player left it with the M key; as above.
bool SaveSoundMute(const std::string& path, bool mute, std::ostream& warnings);

}  // namespace voltaro
