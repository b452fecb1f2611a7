// The box's process on POSIX systems: this program again through
// /proc/self/exe, in a process group of its own, so that ending the group
// also ends a helper the message box may have started; see child_process.h.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "desktop/child_process.h"

extern char** environ;

namespace voltaro {

std::optional<ChildProcess> StartThisProgram(const std::vector<std::string>& arguments) {
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return std::nullopt;
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<std::string> texts{"voltaro5"};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int failed =
      posix_spawn(&pid, "/proc/self/exe", nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) return std::nullopt;
  return ChildProcess{pid};
}

bool HasEnded(ChildProcess& child) {
  const pid_t done = waitpid(static_cast<pid_t>(child.id), nullptr, WNOHANG);
  return done == static_cast<pid_t>(child.id) || (done < 0 && errno != EINTR);
}

void EndNow(ChildProcess& child) {
  const auto pid = static_cast<pid_t>(child.id);
  kill(-pid, SIGKILL);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace voltaro
