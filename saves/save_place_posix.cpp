// The save place's system part on POSIX systems: the XDG data folder, and
// paths as they are; see save_place.h.
#include <cstdlib>

#include "saves/save_place.h"

namespace voltaro {

const char* const kNoDataFolder = "neither XDG_DATA_HOME nor HOME names a data folder";

std::string FolderPath(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

bool IsAbsolutePath(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

SaveEnvironment ProcessSaveEnvironment() {
  SaveEnvironment environment;
  if (const char* value = std::getenv("XDG_DATA_HOME")) environment.xdgDataHome = value;
  if (const char* value = std::getenv("HOME")) environment.home = value;
  return environment;
}

std::string DataFolder(const SaveEnvironment& environment) {
  if (environment.xdgDataHome && IsAbsolutePath(*environment.xdgDataHome)) {
    return FolderPath(*environment.xdgDataHome) + kDataFolderName + "/";
  }
  if (environment.home && IsAbsolutePath(*environment.home)) {
    return FolderPath(*environment.home) + ".local/share/" + kDataFolderName + "/";
  }
  return "";
}

std::string ShownPath(std::string path) {
  return path;
}

}  // namespace voltaro
