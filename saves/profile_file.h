// A small profile (INI) file layer with the classic semantics: "[name]" section
// headers, "key=value" entries, ';' comment lines, names matched without regard
// to letter case, blanks around names and values ignored, the first matching
// section and within it the first matching key win. The best score
// (high_score.cpp) and the settings (settings.cpp) live in such a file.
//
// The pure functions work on the file's bytes, so most of the behaviour can be
// checked on strings; the file functions add a bounded read and a whole-file
// write (file_write.h) so that a crash at any moment leaves either the old
// file or the new one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "saves/file_write.h"

namespace voltaro {

// The classic read copies a value into a 1024-character buffer, the last of
// which is the terminator: longer values are cut to this many characters.
inline constexpr std::size_t kProfileValueMax = 1023;

// A profile file is small; anything bigger is refused rather than loaded.
inline constexpr std::size_t kProfileFileMaxBytes = 16 * 1024 * 1024;

// Line ending of lines written to a file that has none yet (a new or empty
// file, or a single line without a break). A file that already has line breaks
// keeps its own kind for the lines added to it.
inline constexpr std::string_view kProfileNewline = "\n";

// The value of `key` in the first section named `section` in `bytes`, blanks
// around it removed, one pair of enclosing double quotes removed, cut to
// kProfileValueMax characters; nullopt when the section or the key is missing.
std::optional<std::string> FindProfileEntry(std::string_view bytes, std::string_view section,
                                            std::string_view key);

// One entry line of a section, as the reader sees it.
struct ProfileEntry {
  std::string name;   // the key, blanks around it removed
  std::string value;  // as FindProfileEntry gives it
  std::size_t line;   // counted from 1
};

// Every entry line of the first section named `section`, in file order (a key
// written twice appears twice; readers take the first, as FindProfileEntry
// does). Empty when the section is missing.
std::vector<ProfileEntry> ProfileSectionEntries(std::string_view bytes, std::string_view section);

// Every section header of the file, in file order, as entries with an empty
// value: the name between the brackets and the header's line.
std::vector<ProfileEntry> ProfileSectionHeaders(std::string_view bytes);

// The file's new bytes after setting `key` in `section` to `value`: an existing
// entry line (the first in the first matching section) is replaced in place by
// "key=value", keeping its line ending; a missing key is added after the last
// non-blank line of its section; a missing section is added at the end. Every
// other byte stays as it was. New lines end with the file's own line ending.
std::string SetProfileEntry(std::string_view bytes, std::string_view section, std::string_view key,
                            std::string_view value);

// The result of reading a profile file from disk.
struct ProfileFile {
  enum class State {
    kRead,        // bytes holds the whole file
    kMissing,     // there is no file at that path
    kUnreadable,  // something is there but cannot be used; error says why
  };
  State state = State::kMissing;
  std::string bytes;
  std::string error;
};

// Reads a whole profile file. Only a regular file of at most
// kProfileFileMaxBytes is read; a directory, a device, a pipe or a read error
// gives kUnreadable with the reason. Never blocks on a pipe.
ProfileFile ReadProfileFile(const std::string& path);

// Classic write: sets the entry (see SetProfileEntry), creating the file when
// it is missing, with WriteFileAtomically (file_write.h): atomic through a
// temporary file when the folder allows, in place when only the file is
// writable, through symbolic links, never over a read-only file; `ops` are the
// system calls it makes. On failure `whyNot` (if given) receives the reason
// and false is returned. A target that exists but cannot be read (a
// directory, for one) is never replaced. Names and values
// holding line breaks or NUL, a key holding '=' and a section holding ']' are
// refused, as they would not read back.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, std::string* whyNot = nullptr,
                        const FileWriteOps& ops = {});

}  // namespace voltaro
