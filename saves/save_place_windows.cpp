// The save place's system part on Windows: the data folder is
// %APPDATA%\voltaro5\ (the roaming application data, where an installed game
// keeps what the player made); paths take '/' in the game, which every wide
// file call accepts, and are shown with '\'; see save_place.h.
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "saves/save_place.h"

namespace voltaro {
namespace {

// The variable as UTF-8, whatever the system's code page.
std::optional<std::string> Variable(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring wide(size, L'\0');
  wide.resize(GetEnvironmentVariableW(name, wide.data(), size));
  const int length = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), bytes, nullptr, nullptr);
  return text;
}

}  // namespace

const char* const kNoDataFolder = "APPDATA names no data folder";

std::string FolderPath(std::string dir) {
  std::replace(dir.begin(), dir.end(), '\\', '/');
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

bool IsAbsolutePath(const std::string& path) {
  const auto separator = [](char c) { return c == '/' || c == '\\'; };
  // "C:\..." on a drive, or "\\server\share\..." on the network.
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 &&
      path[1] == ':' && separator(path[2])) {
    return true;
  }
  return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

SaveEnvironment ProcessSaveEnvironment() {
  SaveEnvironment environment;
  environment.appData = Variable(L"APPDATA");
  return environment;
}

std::string DataFolder(const SaveEnvironment& environment) {
  if (!environment.appData || !IsAbsolutePath(*environment.appData)) return "";
  return FolderPath(*environment.appData) + kDataFolderName + "/";
}

std::string ShownPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace voltaro
