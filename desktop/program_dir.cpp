// The program's folder; see program_dir.h.
#include "desktop/program_dir.h"

#include <SDL.h>

namespace voltaro {

std::string AppDirFromBasePath(const char* basePath) {
  std::string dir = (basePath != nullptr && basePath[0] != '\0') ? basePath : "./";
  // SDL ends it in the system's separator: '/', or '\\' on Windows.
  if (dir.back() != '/' && dir.back() != '\\') dir += '/';
  return dir;
}

std::string FindProgramDir(std::ostream& warnings) {
  char* basePath = SDL_GetBasePath();
  if (basePath == nullptr) {
    warnings << "voltaro5: cannot find the program's directory (" << SDL_GetError()
             << "); using the current directory\n";
  }
  std::string dir = AppDirFromBasePath(basePath);
  SDL_free(basePath);
  return dir;
}

}  // namespace voltaro
