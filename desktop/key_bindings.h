// What each key and pad button does: the game's seven actions, the keys and
// buttons bound to them (the defaults are the game's own keys), and the
// resolution of an SDL key to the virtual-key code the game's key handlers
// receive. The settings file changes the bindings (settings.h); the window's
// event pump (sdl_pump.cpp) and the pads (pad_input.h) resolve through them.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace voltaro {

enum class Action : std::size_t { kLeft, kRight, kJump, kFireLeft, kFireRight, kFireUp, kStart };
inline constexpr std::size_t kActionCount = 7;

struct ActionInfo {
  std::string_view name;  // as written in the settings file
  int keyCode;            // what reaches the game's key handlers
};

// Each action's code is its default key's (game/key_codes.h): Left kKeyLeft,
// Right kKeyRight, Jump kKeyUp, FireLeft kKeyZ, FireRight kKeyV, FireUp kKeyD,
// Start kKeyEnter.
const ActionInfo& InfoOf(Action action);
std::optional<Action> ActionNamed(std::string_view name);  // letter case ignored

struct KeyBindings {
  std::array<std::vector<SDL_Keycode>, kActionCount> keys;
  const std::vector<SDL_Keycode>& operator[](Action a) const {
    return keys[static_cast<std::size_t>(a)];
  }
};

struct PadBindings {
  std::array<std::vector<SDL_GameControllerButton>, kActionCount> buttons;
  const std::vector<SDL_GameControllerButton>& operator[](Action a) const {
    return buttons[static_cast<std::size_t>(a)];
  }
};

// Left, Right, Up, Z, V, D, and Return with Keypad Enter.
KeyBindings DefaultKeyBindings();
// D-pad left and right, A (south) jumps, X (west), B (east) and Y (north) fire
// left, right and up, Start starts.
PadBindings DefaultPadBindings();

// The keys a name in the settings file stands for: SDL's key names ("Return",
// "Left Ctrl", "Z") and the names players write ("Enter", "Esc", "PgUp",
// "Ctrl" for both Ctrl keys), letter case ignored; empty for an unknown name.
std::vector<SDL_Keycode> KeysNamed(std::string_view name);

// Keys the window keeps for itself: P, Pause and Esc (pause), F1 (help), F11
// (fullscreen).
bool IsWindowKey(SDL_Keycode key);
// What such a key does, as the settings' warning names it ("pause", "help",
// "fullscreen"); nullptr for any other key.
const char* WindowKeyRole(SDL_Keycode key);

// The virtual-key code for a key event: a key bound to an action gives the
// action's code; a default key whose action was bound to other keys gives
// kKeyNone; any other key gives its plain code (VirtualKeyFromSdl). The
// keypad's 4, 6, 8 and 2 with NumLock off count as the arrow keys.
int GameKeyCode(const KeyBindings& bindings, SDL_Keycode key, SDL_Scancode scancode,
                Uint16 modifiers);

// The action a pad button is bound to, if any.
std::optional<Action> ActionOfButton(const PadBindings& bindings, SDL_GameControllerButton button);

}  // namespace voltaro
