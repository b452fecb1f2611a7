// VOLTARO ZIP 5: the game. The command line is read first (--help and
// --version end the program there); then the game runs until its window is
// closed.
#include <iostream>
#include <string>
#include <string_view>
#include <variant>

#include "desktop/command_line.h"
#include "desktop/ime_box.h"
#include "desktop/program_dir.h"
#include "desktop/run_game.h"

int main(int argc, char** argv) {
  // The game starts itself this way to show the input-method message.
  if (argc == 4 && std::string_view(argv[1]) == voltaro::kImeBoxArgument) {
    return voltaro::RunImeBox(argv[2], argv[3]);
  }
  const std::string programDir = voltaro::FindProgramDir(std::cerr);
  voltaro::CommandLineFacts facts;
  facts.version = voltaro::ProgramVersion();
  facts.describeBestScoreFile = [&programDir] {
    return voltaro::DescribeBestScoreFile(programDir);
  };
  const std::variant<voltaro::CommandLine, int> parsed =
      voltaro::ParseCommandLine(argc, argv, facts, std::cout, std::cerr);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  return voltaro::RunGame(std::get<voltaro::CommandLine>(parsed), programDir, "");
}
