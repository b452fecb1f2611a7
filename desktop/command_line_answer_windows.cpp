// The command line's answer on Windows, where the game is a windowed program
// with no console of its own: written to the standard streams when it has
// them (redirected, or the console it was started from), else shown in a
// message box. The arguments are read again as wide text, so a path with any
// letters in it arrives whole. See command_line_answer.h.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <iostream>

#include "desktop/command_line_answer.h"
#include "desktop/wide_text.h"

namespace voltaro {
namespace {

bool IsOpen(DWORD stream) {
  const HANDLE handle = GetStdHandle(stream);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Whether the answer can be written: the streams were handed over, or the
// console the game was started from takes them.
bool HasStandardStreams() {
  if (IsOpen(STD_OUTPUT_HANDLE) || IsOpen(STD_ERROR_HANDLE)) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  return std::freopen("CONOUT$", "w", stdout) != nullptr &&
         std::freopen("CONOUT$", "w", stderr) != nullptr;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr || count != argc) {
    if (wide != nullptr) LocalFree(wide);
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8Text(wide[i]));
  LocalFree(wide);
  return arguments;
}

void ShowCommandLineAnswer(const std::string& out, const std::string& err) {
  if (HasStandardStreams()) {
    std::cout << out << std::flush;
    std::cerr << err << std::flush;
    return;
  }
  const std::wstring text = WideText(err.empty() ? out : err + "\n" + out);
  MessageBoxW(nullptr, text.c_str(), L"VOLTARO ZIP 5",
              MB_OK | (err.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
}

}  // namespace voltaro
