// Where the command line's answer goes (--help, --version, a bad option):
// standard output and standard error where the program has them (always on
// POSIX; on Windows when it was started from a console or with its output
// redirected), otherwise, as for a game double-clicked on Windows, a message
// box, so the player sees it. Also the command line itself as UTF-8, which
// Windows hands a program in its own code page. One file per system:
// command_line_answer_posix.cpp, command_line_answer_windows.cpp. main() uses
// both.
#pragma once

#include <string>
#include <vector>

namespace voltaro {

// The program's arguments, argv[0] included, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Shows `out` (the answer) and `err` (what went wrong); either may be empty.
void ShowCommandLineAnswer(const std::string& out, const std::string& err);

}  // namespace voltaro
