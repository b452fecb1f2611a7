// The command line's answer on standard output and error, and the arguments
// as they came (UTF-8 on these systems); see command_line_answer.h.
#include <iostream>

#include "desktop/command_line_answer.h"

namespace voltaro {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void ShowCommandLineAnswer(const std::string& out, const std::string& err) {
  std::cout << out << std::flush;
  std::cerr << err << std::flush;
}

}  // namespace voltaro
