// voltaro5-pacing: the same game, which also logs the start of every frame to
// a file, for measuring frame pacing and start-up time. Usage:
//   voltaro5-pacing FRAME_LOG
// Each line: "title|play FRAMETIME MICROSECONDS"; the first "start MICROSECONDS"
// and, after the window is closed, "end MICROSECONDS user_us N sys_us N
// maxrss_kb N".
#include <iostream>
#include <string_view>

#include "desktop/command_line.h"
#include "desktop/ime_box.h"
#include "desktop/program_dir.h"
#include "desktop/run_game.h"

int main(int argc, char** argv) {
  // The game starts itself this way to show the input-method message.
  if (argc == 4 && std::string_view(argv[1]) == voltaro::kImeBoxArgument) {
    return voltaro::RunImeBox(argv[2], argv[3]);
  }
  if (argc != 2) {
    std::cerr << "usage: voltaro5-pacing FRAME_LOG\n";
    return 2;
  }
  return voltaro::RunGame(voltaro::CommandLine{}, voltaro::FindProgramDir(std::cerr), argv[1]);
}
