// The parts of the whole-file write that are the same on every system: the
// loop that writes every byte, error texts and folder names. The system calls
// themselves are in file_ops_posix.cpp and file_ops_windows.cpp.
#include "saves/file_write.h"

#include <cerrno>
#include <cstring>

namespace voltaro {

bool WriteAllBytes(const FileWriteOps& ops, int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t written = ops.write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    if (written == 0) {  // no progress and no reason: do not spin
      error = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace voltaro
