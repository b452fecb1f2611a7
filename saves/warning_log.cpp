// The warnings' log beside the best-score file; see warning_log.h.
#include "saves/warning_log.h"

#include <string_view>

#include "saves/file_ops.h"
#include "saves/file_write.h"

namespace voltaro {

WarningLog::WarningLog(std::string path, std::ostream& console) : buffer_(path, console) {
  // What the last run said is of no help about this one.
  if (!path.empty()) file_ops::RemoveQuietly(path);
}

WarningLog::Buffer::int_type WarningLog::Buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char text = traits_type::to_char_type(c);
  xsputn(&text, 1);
  return c;
}

std::streamsize WarningLog::Buffer::xsputn(const char* text, std::streamsize count) {
  const std::string_view written(text, static_cast<std::size_t>(count));
  console_ << written;
  lines_ += written;
  // A log that cannot be written costs nothing more than the log: the
  // console has said it all.
  if (!path_.empty() && written.find('\n') != std::string_view::npos) {
    WriteFileAtomically(path_, std::string_view(lines_).substr(0, lines_.rfind('\n') + 1), nullptr);
  }
  return count;
}

}  // namespace voltaro
