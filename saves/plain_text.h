// Small helpers for the text players type into files and command lines:
// names compared the way the INI file compares them, values trimmed, and
// values quoted safely in a warning. The INI reader, the settings, the key
// bindings and the simulator's options share them.
#pragma once

#include <string>
#include <string_view>

namespace voltaro {

// `text` without the blanks (space, tab, CR, VT, FF) at either end.
std::string_view Trim(std::string_view text);

// Whether two names are the same, ASCII letters compared without case
// ("HighScore" and "HIGHSCORE" are one key).
bool SameName(std::string_view a, std::string_view b);

// A value from outside, for a message: in double quotes, at most 40
// characters of it (then "..."), quotes and backslashes escaped and any byte
// outside printable ASCII as \xNN, so control bytes never reach a terminal.
std::string Quoted(std::string_view text);

}  // namespace voltaro
