// The seam between the save files and the system. Each system gives the few
// calls that differ (file_ops_posix.cpp, file_ops_windows.cpp: CMake builds
// one), and the steps that are the same everywhere (file_ops.cpp) write a
// whole file through a temporary one, or in place, and read a bounded file.
// Only the save files' own code includes this.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "saves/file_write.h"
#include "saves/profile_file.h"

namespace voltaro::file_ops {

// ---- What each system gives -------------------------------------------------
// Descriptors, or -1 with errno set.

// Creates a file for writing where nothing is yet.
int CreateNew(const std::string& path);
// Opens an existing file for writing over its old bytes.
int OpenExisting(const std::string& path);
// Cuts an open file to `size` bytes: 0, or the errno value.
int CutTo(int fd, std::size_t size);
// Reads up to `size` bytes: the count, 0 at the end, or -1 with errno.
ssize_t ReadSome(int fd, void* buffer, std::size_t size);
// Removes a file that is no longer wanted; a failure changes nothing.
void RemoveQuietly(const std::string& path);
// A number of this process's own, for the names of its temporary files.
unsigned long ProcessNumber();

// ---- The same on every system -----------------------------------------------

// Puts `reason` into `whyNot` (if given); false.
bool Fail(std::string* whyNot, std::string reason);

// Over the old bytes, then cut to length and synced: the file keeps its
// identity, so its links, owner and mode stay as they are.
bool WriteInPlace(const std::string& target, std::string_view bytes, std::string* whyNot,
                  const FileWriteOps& ops);

enum class WriteWay { kReplaced, kInPlace, kFailed };

// The bytes go to a new temporary file beside `target` (so the rename stays
// within one file system and replaces the old file in one step), which
// `adopt` may change first (the old file's owner and mode), then it is
// synced, closed and renamed over the target. When the folder takes no new
// file for want of rights and the target `exists`, it is written in place.
// On failure nothing is left of the temporary file.
WriteWay WriteThroughTemporaryFile(const std::string& target, std::string_view bytes, bool exists,
                                   std::string* whyNot, const FileWriteOps& ops,
                                   const std::function<void(int fd)>& adopt);

// Reads the rest of an open regular file into `file`: kRead with its bytes,
// or kUnreadable with the reason when it fails or passes
// kProfileFileMaxBytes. `size` is the file's size as the system gave it.
void ReadBounded(int fd, long long size, ProfileFile& file);

}  // namespace voltaro::file_ops
