// The box's process on Windows: the program's own .exe started again with
// CreateProcessW, its arguments quoted as the C runtime splits them; ended
// with TerminateProcess (the box starts no helper of its own here); see
// child_process.h.
#include <windows.h>

#include "desktop/child_process.h"
#include "desktop/wide_text.h"

namespace voltaro {
namespace {

// One argument as the runtime's command-line split reads it back: in quotes,
// with quotes escaped and the backslashes before them doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L" \"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE HandleOf(const ChildProcess& child) {
  return reinterpret_cast<HANDLE>(child.id);
}

}  // namespace

std::optional<ChildProcess> StartThisProgram(const std::vector<std::string>& arguments) {
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (length == 0) return std::nullopt;
    if (length < exe.size()) {
      exe.resize(length);
      break;
    }
    exe.resize(exe.size() * 2);
  }
  std::wstring line = L"voltaro5";
  for (const std::string& argument : arguments) AppendQuoted(line, WideText(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return std::nullopt;
  }
  CloseHandle(process.hThread);
  return ChildProcess{reinterpret_cast<std::intptr_t>(process.hProcess)};
}

bool HasEnded(ChildProcess& child) {
  if (WaitForSingleObject(HandleOf(child), 0) == WAIT_TIMEOUT) return false;
  CloseHandle(HandleOf(child));
  child.id = -1;
  return true;
}

void EndNow(ChildProcess& child) {
  TerminateProcess(HandleOf(child), 1);
  WaitForSingleObject(HandleOf(child), INFINITE);
  CloseHandle(HandleOf(child));
  child.id = -1;
}

}  // namespace voltaro
