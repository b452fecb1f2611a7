// Which of a pad's sticks, triggers and buttons steer: SDL's virtual game
// controller, opened by PadInput, and its events handed in one by one.
#include "desktop/pad_input.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/key_codes.h"

namespace voltaro {
namespace {

TEST(PadInput, OnlyTheLeftStickAcrossAndTheDPadsSidesSteer) {
  ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  PadInput pads(DefaultPadBindings());
  std::vector<PadKey> keys;
  SDL_Event added{};
  added.type = SDL_CONTROLLERDEVICEADDED;
  added.cdevice.which = index;
  pads.Handle(added, keys);
  ASSERT_TRUE(pads.AnyOpen());
  // An axis pushed all the way and let go, or a button pressed and let go
  // (128 on): the key it steers with.
  constexpr int kButton = 128;
  // clang-format off
  const std::pair<int, int> moves[] = {
      {SDL_CONTROLLER_AXIS_LEFTX, kKeyRight}, {SDL_CONTROLLER_AXIS_LEFTY, 0},
      {SDL_CONTROLLER_AXIS_RIGHTX, 0}, {SDL_CONTROLLER_AXIS_RIGHTY, 0},
      {SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0}, {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0},
      {kButton + SDL_CONTROLLER_BUTTON_DPAD_LEFT, kKeyLeft},
      {kButton + SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kKeyRight},
      {kButton + SDL_CONTROLLER_BUTTON_DPAD_UP, 0}, {kButton + SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0}};
  // clang-format on
  for (const auto& [what, key] : moves) {
    std::vector<int> heard;  // codes down, negated codes up
    for (const bool push : {true, false}) {
      SDL_Event event{};
      if (what < kButton) {
        event.type = SDL_CONTROLLERAXISMOTION;
        event.caxis.which = id;
        event.caxis.axis = static_cast<Uint8>(what);
        event.caxis.value = static_cast<Sint16>(push ? SDL_JOYSTICK_AXIS_MAX : 0);
      } else {
        event.type = push ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
        event.cbutton.which = id;
        event.cbutton.button = static_cast<Uint8>(what - kButton);
      }
      keys.clear();
      EXPECT_TRUE(pads.Handle(event, keys));
      for (const PadKey& k : keys) heard.push_back(k.down ? k.code : -k.code);
    }
    EXPECT_EQ(heard, (key != 0 ? std::vector{key, -key} : std::vector<int>{})) << what;
  }
  pads.CloseAll();
  SDL_JoystickDetachVirtual(index);
  SDL_Quit();
}

}  // namespace
}  // namespace voltaro
