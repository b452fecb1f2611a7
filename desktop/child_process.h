// Another process running this same program, which the game starts, watches
// and may end at once: the input-method box (ime_box.cpp) runs in one, so the
// game's window stays closable while the box is up. One file per system:
// child_process_posix.cpp, child_process_windows.cpp (CMake builds one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voltaro {

// The process as the system knows it: a process id, or a Windows handle.
struct ChildProcess {
  std::intptr_t id = -1;
};

// Starts this program again with `arguments` (after the program's name), on
// its own so that it and whatever it starts can be ended together; nullopt
// when it cannot be started.
std::optional<ChildProcess> StartThisProgram(const std::vector<std::string>& arguments);

// Whether the process has ended (it is then gone for good); never waits.
bool HasEnded(ChildProcess& child);

// Ends the process, and whatever it started, at once, and waits until it is
// gone.
void EndNow(ChildProcess& child);

}  // namespace voltaro
