// VOLTARO ZIP 5: the game. The command line is read first (--help and
// --version end the program there); then the game runs until its window is
// closed.
#include <iostream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "desktop/command_line.h"
#include "desktop/command_line_answer.h"
#include "desktop/ime_box.h"
#include "desktop/program_dir.h"
#include "desktop/run_game.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = voltaro::ProgramArguments(argc, argv);
  // The game starts itself this way to show the input-method message.
  if (arguments.size() == 4 && arguments[1] == voltaro::kImeBoxArgument) {
    return voltaro::RunImeBox(arguments[2].c_str(), arguments[3].c_str());
  }
  const std::string programDir = voltaro::FindProgramDir(std::cerr);
  voltaro::CommandLineFacts facts;
  facts.version = voltaro::ProgramVersion();
  facts.describeBestScoreFile = [&programDir] {
    return voltaro::DescribeBestScoreFile(programDir);
  };
  std::vector<const char*> texts;
  for (const std::string& argument : arguments) texts.push_back(argument.c_str());
  std::ostringstream out, err;
  const std::variant<voltaro::CommandLine, int> parsed =
      voltaro::ParseCommandLine(static_cast<int>(texts.size()), texts.data(), facts, out, err);
  if (const int* status = std::get_if<int>(&parsed)) {
    voltaro::ShowCommandLineAnswer(out.str(), err.str());
    return *status;
  }
  return voltaro::RunGame(std::get<voltaro::CommandLine>(parsed), programDir, "");
}
