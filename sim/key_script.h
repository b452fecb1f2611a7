// Key scripts: the events a simulated player presses, one per line as
// "TICK down|up CODE". TICK counts play frames over the whole run, across
// games, from 1; the event is delivered right before that frame.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace voltaro::sim {

struct KeyEvent {
  std::uint64_t tick = 0;
  bool down = false;
  int code = 0;
};

// Parses a script; `name` is used in messages ("NAME:LINE: problem"). Blank
// lines and '#' comments (whole lines or line ends) are skipped. The result is
// ordered by tick, events of one tick keeping their order in the file.
// Throws UsageError on the first malformed line.
std::vector<KeyEvent> ParseKeyScript(std::istream& in, const std::string& name);

// Opens and parses a script file, or standard input for "-" (on every
// system: there is no /dev/stdin on Windows); an unreadable file is a
// UsageError too.
std::vector<KeyEvent> LoadKeyScript(const std::string& path);

}  // namespace voltaro::sim
