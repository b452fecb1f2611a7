// Reading key scripts for the simulator. Each malformed line is reported with
// the file name and the line number, and nothing of the script is used.
#include "sim/key_script.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>

#include "sim/sim_options.h"

namespace voltaro::sim {

namespace {

// Virtual-key codes are 16-bit values.
constexpr std::uint64_t kMaxKeyCode = 65535;

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t start = line.find_first_not_of(" \t\r\v\f", pos);
    if (start == std::string::npos) break;
    std::size_t end = line.find_first_of(" \t\r\v\f", start);
    if (end == std::string::npos) end = line.size();
    words.push_back(line.substr(start, end - start));
    pos = end;
  }
  return words;
}

}  // namespace

std::vector<KeyEvent> ParseKeyScript(std::istream& in, const std::string& name) {
  std::vector<KeyEvent> events;
  std::string line;
  std::uint64_t lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty()) continue;
    const std::string where = name + ":" + std::to_string(lineNo);
    if (words.size() != 3) {
      throw UsageError(where + ": expected 'TICK down|up CODE', found " +
                       std::to_string(words.size()) + " word" + (words.size() == 1 ? "" : "s"));
    }
    KeyEvent event;
    event.tick =
        ParseUnsigned(words[0], 1, std::numeric_limits<std::uint64_t>::max(), where + ": tick");
    if (words[1] == "down") {
      event.down = true;
    } else if (words[1] == "up") {
      event.down = false;
    } else {
      throw UsageError(where + ": '" + words[1] + "' is neither 'down' nor 'up'");
    }
    event.code = static_cast<int>(ParseUnsigned(words[2], 0, kMaxKeyCode, where + ": key code"));
    events.push_back(event);
  }
  if (in.bad()) throw UsageError(name + ": read error");
  std::stable_sort(events.begin(), events.end(),
                   [](const KeyEvent& a, const KeyEvent& b) { return a.tick < b.tick; });
  return events;
}

std::vector<KeyEvent> LoadKeyScript(const std::string& path) {
  if (path == "-") return ParseKeyScript(std::cin, "standard input");
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw UsageError(path + ": is a directory, not a key script");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) throw UsageError(path + ": cannot open the key script for reading");
  return ParseKeyScript(file, path);
}

}  // namespace voltaro::sim
