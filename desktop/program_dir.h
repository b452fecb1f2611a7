// The folder the program runs from: where the best score and the settings
// may live and where pad mappings are looked for. main() asks once and hands
// it on.
#pragma once

#include <ostream>
#include <string>

namespace voltaro {

// The program's folder from SDL's base path, always ending in a separator
// ('/', or SDL's '\\' on Windows). Without a base path, the current folder
// ("./").
std::string AppDirFromBasePath(const char* basePath);

// The program's folder; when SDL cannot tell, a warning on `warnings` and the
// current folder.
std::string FindProgramDir(std::ostream& warnings);

}  // namespace voltaro
