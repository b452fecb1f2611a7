// The profile file layer: parsing and editing the bytes of an INI file, and
// writing it back whole (file_write.h). Reading it from disk is a system call
// matter: file_ops_posix.cpp, file_ops_windows.cpp.
#include "saves/profile_file.h"

#include <vector>

#include "saves/plain_text.h"

namespace voltaro {
namespace {

// ---- Lines -----------------------------------------------------------------

// One line of the file: [begin, contentEnd) is its text without the line
// break, [contentEnd, end) the break itself ("\n", "\r\n" or nothing at the
// very end of a file without a final newline).
struct Line {
  std::size_t begin;
  std::size_t contentEnd;
  std::size_t end;
};

// A file saved by a text editor may start with a UTF-8 byte order mark; it
// belongs to no line's text, but is kept in place like every other byte.
std::size_t ByteOrderMarkLength(std::string_view bytes) {
  return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t begin = ByteOrderMarkLength(bytes);
  while (begin < bytes.size()) {
    const std::size_t newline = bytes.find('\n', begin);
    if (newline == std::string_view::npos) {
      lines.push_back({begin, bytes.size(), bytes.size()});
      break;
    }
    std::size_t contentEnd = newline;
    if (contentEnd > begin && bytes[contentEnd - 1] == '\r') --contentEnd;
    lines.push_back({begin, contentEnd, newline + 1});
    begin = newline + 1;
  }
  return lines;
}

// What one line means to the profile reader.
struct ParsedLine {
  enum class Kind { kNone, kSection, kEntry };
  Kind kind = Kind::kNone;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // entry value, trimmed
};

ParsedLine ParseLine(std::string_view content) {
  const std::string_view text = Trim(content);
  ParsedLine parsed;
  if (text.empty() || text.front() == ';') return parsed;
  if (text.front() == '[') {
    // The name runs to the last ']' on the line; a '[' line without one is
    // neither a header nor an entry.
    const std::size_t close = text.rfind(']');
    if (close == std::string_view::npos) return parsed;
    parsed.kind = ParsedLine::Kind::kSection;
    parsed.name = Trim(text.substr(1, close - 1));
    return parsed;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = ParsedLine::Kind::kEntry;
  parsed.name = Trim(text.substr(0, equals));
  parsed.value = Trim(text.substr(equals + 1));
  return parsed;
}

// Where the first section called `section` starts and ends, as line indexes:
// [header, next header or end).
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionSpan> FindSection(std::string_view bytes, const std::vector<Line>& lines,
                                       std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const ParsedLine parsed = ParseLine(bytes.substr(line.begin, line.contentEnd - line.begin));
    if (parsed.kind != ParsedLine::Kind::kSection || !SameName(parsed.name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size()) {
      const Line& next = lines[end];
      if (ParseLine(bytes.substr(next.begin, next.contentEnd - next.begin)).kind ==
          ParsedLine::Kind::kSection) {
        break;
      }
      ++end;
    }
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

// The line (index) of the first entry `key` in the span's body.
std::optional<std::size_t> FindKey(std::string_view bytes, const std::vector<Line>& lines,
                                   const SectionSpan& span, std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const Line& line = lines[i];
    const ParsedLine parsed = ParseLine(bytes.substr(line.begin, line.contentEnd - line.begin));
    if (parsed.kind == ParsedLine::Kind::kEntry && SameName(parsed.name, key)) return i;
  }
  return std::nullopt;
}

// An entry's value as a reader gets it: one pair of enclosing double quotes
// removed, cut to kProfileValueMax characters.
std::string EntryValue(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > kProfileValueMax) value = value.substr(0, kProfileValueMax);
  return std::string(value);
}

// The line ending the file already uses (its first one), or the default.
std::string_view FileNewline(std::string_view bytes) {
  const std::size_t newline = bytes.find('\n');
  if (newline == std::string_view::npos) return kProfileNewline;
  if (newline > 0 && bytes[newline - 1] == '\r') return "\r\n";
  return "\n";
}

// ---- Files -----------------------------------------------------------------

bool Fail(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return false;
}

bool HasAny(std::string_view text, std::string_view characters) {
  return text.find_first_of(characters) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> FindProfileEntry(std::string_view bytes, std::string_view section,
                                            std::string_view key) {
  const std::vector<Line> lines = SplitLines(bytes);
  const std::optional<SectionSpan> span = FindSection(bytes, lines, section);
  if (!span) return std::nullopt;
  const std::optional<std::size_t> index = FindKey(bytes, lines, *span, key);
  if (!index) return std::nullopt;
  const Line& line = lines[*index];
  return EntryValue(ParseLine(bytes.substr(line.begin, line.contentEnd - line.begin)).value);
}

std::vector<ProfileEntry> ProfileSectionEntries(std::string_view bytes, std::string_view section) {
  std::vector<ProfileEntry> entries;
  const std::vector<Line> lines = SplitLines(bytes);
  const std::optional<SectionSpan> span = FindSection(bytes, lines, section);
  if (!span) return entries;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    const Line& line = lines[i];
    const ParsedLine parsed = ParseLine(bytes.substr(line.begin, line.contentEnd - line.begin));
    if (parsed.kind == ParsedLine::Kind::kEntry) {
      entries.push_back({std::string(parsed.name), EntryValue(parsed.value), i + 1});
    }
  }
  return entries;
}

std::vector<ProfileEntry> ProfileSectionHeaders(std::string_view bytes) {
  std::vector<ProfileEntry> headers;
  const std::vector<Line> lines = SplitLines(bytes);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const ParsedLine parsed = ParseLine(bytes.substr(line.begin, line.contentEnd - line.begin));
    if (parsed.kind == ParsedLine::Kind::kSection) {
      headers.push_back({std::string(parsed.name), "", i + 1});
    }
  }
  return headers;
}

std::string SetProfileEntry(std::string_view bytes, std::string_view section, std::string_view key,
                            std::string_view value) {
  const std::vector<Line> lines = SplitLines(bytes);
  const std::string_view newline = FileNewline(bytes);
  std::string entry;
  entry.append(key).append("=").append(value);

  std::string out;
  out.reserve(bytes.size() + section.size() + entry.size() + 8);
  const std::optional<SectionSpan> span = FindSection(bytes, lines, section);
  if (!span) {
    out.append(bytes);
    if (out.size() > ByteOrderMarkLength(bytes) && out.back() != '\n') out.append(newline);
    out.append("[").append(section).append("]").append(newline);
    out.append(entry).append(newline);
    return out;
  }

  if (const std::optional<std::size_t> index = FindKey(bytes, lines, *span, key)) {
    const Line& line = lines[*index];
    out.append(bytes.substr(0, line.begin));
    out.append(entry);
    out.append(bytes.substr(line.contentEnd));
    return out;
  }

  // A new key goes after the section's last non-blank line, so that blank
  // lines separating it from the next section stay below it.
  std::size_t after = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    const Line& line = lines[i];
    if (!Trim(bytes.substr(line.begin, line.contentEnd - line.begin)).empty()) after = i;
  }
  const Line& anchor = lines[after];
  out.append(bytes.substr(0, anchor.end));
  if (anchor.end == anchor.contentEnd) out.append(newline);  // the file's last line, unbroken
  out.append(entry).append(newline);
  out.append(bytes.substr(anchor.end));
  return out;
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, std::string* whyNot, const FileWriteOps& ops) {
  using namespace std::string_view_literals;
  if (HasAny(section, "\r\n\0"sv) || HasAny(key, "\r\n\0"sv) || HasAny(value, "\r\n\0"sv) ||
      HasAny(key, "="sv) || HasAny(section, "]"sv)) {
    return Fail(whyNot, "the name or value holds a character a profile line cannot hold");
  }
  // Read through a symbolic link, as the write goes through it too.
  const ProfileFile old = ReadProfileFile(path);
  if (old.state == ProfileFile::State::kUnreadable) {
    return Fail(whyNot, "cannot read the existing file (" + old.error + ")");
  }
  return WriteFileAtomically(path, SetProfileEntry(old.bytes, section, key, value), whyNot, ops);
}

}  // namespace voltaro
