// The INI reader and the record writer on any bytes: reading never fails,
// and after a record is written into any file, reading gives that record back
// and every byte outside the entry's line is unchanged; writing the same
// record again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "saves/profile_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::string_view kSection = "VOLTARO ZIP 5";
constexpr std::string_view kKey = "HighScore";

using voltaro::fuzz::Check;

bool IsNewline(std::string_view text) {
  return text == "\n" || text == "\r\n";
}

// Where the line holding byte `at` of `bytes` starts (after a byte order mark).
std::size_t LineStart(std::string_view bytes, std::size_t at) {
  const std::size_t bom = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  if (at <= bom) return bom;
  const std::size_t newline = bytes.rfind('\n', at - 1);
  return newline == std::string_view::npos ? bom : newline + 1;
}

// `after` is `before` with one line's text replaced by `entry`, or with
// `entry` on a new line inserted at a line boundary (the line before it given
// a break if it had none), or with the section and the entry appended.
bool OnlyTheEntryLineChanged(std::string_view before, std::string_view after,
                             std::string_view entry) {
  if (after == before) return true;  // the entry was already the record
  std::size_t common = 0;
  while (common < before.size() && common < after.size() && before[common] == after[common]) {
    ++common;
  }
  for (const std::size_t at : {LineStart(before, common), common}) {
    if (at > before.size() || after.substr(0, at) != before.substr(0, at)) continue;
    const std::string_view rest = after.substr(at);
    // Replaced: the old line's text (up to its break) gives way to the entry.
    if (rest.substr(0, entry.size()) == entry) {
      std::size_t end = before.find('\n', at);
      if (end == std::string_view::npos) end = before.size();
      if (end > at && end < before.size() && before[end - 1] == '\r') --end;
      if (rest.substr(entry.size()) == before.substr(end)) return true;
    }
    // Inserted at a line boundary, or appended after an unbroken last line.
    for (const std::string_view lead : {"", "\n", "\r\n"}) {
      if (!lead.empty() && at != before.size()) continue;
      if (rest.substr(0, lead.size()) != lead) continue;
      std::string_view added = rest.substr(lead.size());
      // A new section first: "[VOLTARO ZIP 5]" and its line break.
      const std::string header = "[" + std::string(kSection) + "]";
      if (at == before.size() && added.substr(0, header.size()) == header) {
        added.remove_prefix(header.size());
        const std::size_t nl = added.substr(0, 1) == "\n" ? 1 : 2;
        if (!IsNewline(added.substr(0, nl))) continue;
        added.remove_prefix(nl);
      }
      if (added.substr(0, entry.size()) != entry) continue;
      added.remove_prefix(entry.size());
      const std::size_t nl = added.substr(0, 1) == "\n" ? 1 : 2;
      if (IsNewline(added.substr(0, nl)) && added.substr(nl) == before.substr(at)) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  // The first four bytes give the record; the rest is the file.
  std::int32_t record = 0;
  std::memcpy(&record, data, sizeof record);
  const std::string_view before(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::string value = std::to_string(record);

  const auto found = voltaro::FindProfileEntry(before, kSection, kKey);
  Check(!found || found->size() <= voltaro::kProfileValueMax);

  const std::string after = voltaro::SetProfileEntry(before, kSection, kKey, value);
  Check(voltaro::FindProfileEntry(after, kSection, kKey) == value);
  Check(OnlyTheEntryLineChanged(before, after, std::string(kKey) + "=" + value));
  Check(voltaro::SetProfileEntry(after, kSection, kKey, value) == after);
  return 0;
}
