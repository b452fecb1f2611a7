// Writing a whole small file so that a crash, a full disk or a second copy of
// the game never leaves half of it: the high-score file (through
// profile_file.h), and any other file the game keeps beside it. The system
// calls live in file_ops_posix.cpp and file_ops_windows.cpp (CMake builds the
// one for the system at hand).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace voltaro {

// The system's own calls, failing with -1 and errno: POSIX write, fsync and
// rename; on Windows the C library's _write, FlushFileBuffers, and
// MoveFileExW, which replaces an existing target (paths in UTF-8).
ssize_t SystemWrite(int fd, const void* data, std::size_t size);
int SystemSync(int fd);
int SystemRename(const char* from, const char* to);

// The system calls a whole-file write makes that can fail part-way or whose
// order matters; the defaults are the real calls. Tests replace one to make it
// fail (a write that stops with ENOSPC) or to watch the order (the data is
// synced before the rename, the folder after it), or stop the write there, as
// a crash would.
struct FileWriteOps {
  std::function<ssize_t(int fd, const void* data, std::size_t size)> write = SystemWrite;
  std::function<int(int fd)> fsync = SystemSync;
  std::function<int(const char* from, const char* to)> rename = SystemRename;
};

// Makes the file at `path` hold exactly `bytes`.
//
// - Usually atomic: the bytes go to a temporary file beside the target, which
//   is synced and renamed over it, then the directory is synced; the new file
//   takes the old one's owner (when allowed) and mode.
// - In place when the folder cannot take a temporary file but the file itself
//   is writable, or when the file has other hard links that a rename would
//   cut off: the bytes are written over the old ones, the file is cut to their
//   length and synced. Never through an empty file, but a failure part-way
//   can leave a mix of old and new bytes.
// - A symbolic link is followed: the file it points at is written, the link
//   kept. A file without any write permission is read-only and is never
//   replaced (not even by a run with more rights); neither is anything that is
//   not a regular file.
// - On Windows: paths are UTF-8, the temporary file is flushed and moved over
//   the target with write-through, a file with the read-only attribute is
//   never replaced, and there is no owner, mode, link or folder sync to keep.
//
// On failure returns false with the reason in `whyNot` (if given); the atomic
// way then leaves the old file whole and removes its temporary file.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* whyNot,
                         const FileWriteOps& ops = {});

// Writes every byte of `bytes` to `fd` through `ops.write`, again after an
// interruption; false with the errno value in `error` when it stops short.
bool WriteAllBytes(const FileWriteOps& ops, int fd, std::string_view bytes, int& error);

// The text of an errno value, for messages.
std::string ErrnoText(int error);

// The directory part of a path ("." without a slash, "/" for the root).
std::string DirectoryOf(const std::string& path);

// An open file descriptor, closed when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();
  int get() const { return fd_; }
  // Closes now and reports the close's own error (0 when fine), which for
  // some file systems is where a failed write shows.
  int Close();

 private:
  int fd_;
};

}  // namespace voltaro
