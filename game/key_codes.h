// The virtual-key codes every part of the game speaks: the rules' key
// handlers listen to some of them, and each front end turns its own key
// events into them (the desktop from SDL's keys, the page from the browser's).
// A front end reports a key it has no code for as 0 and never delivers it.
#pragma once

namespace voltaro {

inline constexpr int kKeyNone = 0;
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
// Letters and digits are their capital ASCII codes: 'A' (65) to 'Z' (90),
// '0' (48) to '9' (57). The fire keys:
inline constexpr int kKeyD = 'D';
inline constexpr int kKeyV = 'V';
inline constexpr int kKeyZ = 'Z';
// A key an input method has taken, or one that switches a Japanese or Korean
// input method on: the player is asked to switch the input method off.
inline constexpr int kKeyProcess = 229;

}  // namespace voltaro
