// Text between the game's UTF-8 and the UTF-16 of Windows' wide calls, for
// the desktop's Windows files (the box's process, the console, the command
// line). Windows only.
#pragma once

#include <string>
#include <string_view>

namespace voltaro {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);

}  // namespace voltaro
