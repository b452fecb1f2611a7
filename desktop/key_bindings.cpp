// The game's actions and the keys and buttons bound to them; see key_bindings.h.
#include "desktop/key_bindings.h"

#include <algorithm>
#include <string>

#include "desktop/sdl_keys.h"
#include "game/key_codes.h"
#include "saves/plain_text.h"

namespace voltaro {
namespace {

constexpr std::array<ActionInfo, kActionCount> kActions = {{
    {"Left", kKeyLeft},
    {"Right", kKeyRight},
    {"Jump", kKeyUp},
    {"FireLeft", kKeyZ},
    {"FireRight", kKeyV},
    {"FireUp", kKeyD},
    {"Start", kKeyEnter},
}};

// The keypad's arrows: with NumLock off they are the arrow keys.
SDL_Keycode KeypadArrow(SDL_Scancode scancode, Uint16 modifiers) {
  if ((modifiers & KMOD_NUM) != 0) return SDLK_UNKNOWN;
  switch (scancode) {
    case SDL_SCANCODE_KP_4:
      return SDLK_LEFT;
    case SDL_SCANCODE_KP_6:
      return SDLK_RIGHT;
    case SDL_SCANCODE_KP_8:
      return SDLK_UP;
    case SDL_SCANCODE_KP_2:
      return SDLK_DOWN;
    default:
      return SDLK_UNKNOWN;
  }
}

// Names players write for keys SDL names otherwise, on their keyboards and in
// other games' settings. A modifier without its side means both keys.
struct KeyAlias {
  std::string_view name;
  std::array<SDL_Keycode, 2> keys;  // SDLK_UNKNOWN where there is one key
};
constexpr KeyAlias kKeyAliases[] = {
    {"Enter", {SDLK_RETURN}},
    {"Esc", {SDLK_ESCAPE}},
    {"Del", {SDLK_DELETE}},
    {"Ins", {SDLK_INSERT}},
    {"PgUp", {SDLK_PAGEUP}},
    {"PgDn", {SDLK_PAGEDOWN}},
    {"Page Up", {SDLK_PAGEUP}},
    {"Page Down", {SDLK_PAGEDOWN}},
    {"Spacebar", {SDLK_SPACE}},
    {"Space Bar", {SDLK_SPACE}},
    {"Bksp", {SDLK_BACKSPACE}},
    {"Back Space", {SDLK_BACKSPACE}},
    {"Caps", {SDLK_CAPSLOCK}},
    {"Caps Lock", {SDLK_CAPSLOCK}},
    {"Up Arrow", {SDLK_UP}},
    {"Down Arrow", {SDLK_DOWN}},
    {"Left Arrow", {SDLK_LEFT}},
    {"Right Arrow", {SDLK_RIGHT}},
    {"Ctrl", {SDLK_LCTRL, SDLK_RCTRL}},
    {"Control", {SDLK_LCTRL, SDLK_RCTRL}},
    {"Shift", {SDLK_LSHIFT, SDLK_RSHIFT}},
    {"Alt", {SDLK_LALT, SDLK_RALT}},
    {"LCtrl", {SDLK_LCTRL}},
    {"RCtrl", {SDLK_RCTRL}},
    {"LShift", {SDLK_LSHIFT}},
    {"RShift", {SDLK_RSHIFT}},
    {"LAlt", {SDLK_LALT}},
    {"RAlt", {SDLK_RALT}},
    {"AltGr", {SDLK_RALT}},
    {"Keypad Return", {SDLK_KP_ENTER}},
    {"Num Enter", {SDLK_KP_ENTER}},
};

template <typename T>
bool Contains(const std::vector<T>& list, T item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

const ActionInfo& InfoOf(Action action) {
  return kActions[static_cast<std::size_t>(action)];
}

std::optional<Action> ActionNamed(std::string_view name) {
  for (std::size_t i = 0; i < kActionCount; ++i) {
    if (SameName(kActions[i].name, name)) return static_cast<Action>(i);
  }
  return std::nullopt;
}

std::vector<SDL_Keycode> KeysNamed(std::string_view name) {
  for (const KeyAlias& alias : kKeyAliases) {
    if (!SameName(alias.name, name)) continue;
    std::vector<SDL_Keycode> keys;
    for (const SDL_Keycode key : alias.keys) {
      if (key != SDLK_UNKNOWN) keys.push_back(key);
    }
    return keys;
  }
  // SDL compares its names without regard to letter case.
  const SDL_Keycode key = SDL_GetKeyFromName(std::string(name).c_str());
  if (key == SDLK_UNKNOWN) return {};
  return {key};
}

KeyBindings DefaultKeyBindings() {
  return {{{{SDLK_LEFT},
            {SDLK_RIGHT},
            {SDLK_UP},
            {SDLK_z},
            {SDLK_v},
            {SDLK_d},
            {SDLK_RETURN, SDLK_KP_ENTER}}}};
}

PadBindings DefaultPadBindings() {
  return {{{{SDL_CONTROLLER_BUTTON_DPAD_LEFT},
            {SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
            {SDL_CONTROLLER_BUTTON_A},
            {SDL_CONTROLLER_BUTTON_X},
            {SDL_CONTROLLER_BUTTON_B},
            {SDL_CONTROLLER_BUTTON_Y},
            {SDL_CONTROLLER_BUTTON_START}}}};
}

bool IsWindowKey(SDL_Keycode key) {
  return WindowKeyRole(key) != nullptr;
}

const char* WindowKeyRole(SDL_Keycode key) {
  switch (key) {
    case SDLK_p:
    case SDLK_PAUSE:
    case SDLK_ESCAPE:
      return "pause";
    case SDLK_F1:
      return "help";
    case SDLK_F11:
      return "fullscreen";
    default:
      return nullptr;
  }
}

int GameKeyCode(const KeyBindings& bindings, SDL_Keycode key, SDL_Scancode scancode,
                Uint16 modifiers) {
  if (const SDL_Keycode arrow = KeypadArrow(scancode, modifiers); arrow != SDLK_UNKNOWN) {
    key = arrow;
    scancode = SDL_GetScancodeFromKey(arrow);
  }
  for (std::size_t i = 0; i < kActionCount; ++i) {
    if (Contains(bindings.keys[i], key)) return kActions[i].keyCode;
  }
  const KeyBindings defaults = DefaultKeyBindings();
  for (const auto& list : defaults.keys) {
    if (Contains(list, key)) return kKeyNone;  // its action now has other keys
  }
  return VirtualKeyFromSdl(key, scancode);
}

std::optional<Action> ActionOfButton(const PadBindings& bindings, SDL_GameControllerButton button) {
  for (std::size_t i = 0; i < kActionCount; ++i) {
    if (Contains(bindings.buttons[i], button)) return static_cast<Action>(i);
  }
  return std::nullopt;
}

}  // namespace voltaro
