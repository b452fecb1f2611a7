// VOLTARO ZIP 5: the game. No command line, no environment: everything it
// keeps lives in Voltaro5.ini beside the program.
#include "run_game.h"

int main() {
  return voltaro::RunGame({});
}
