// The simulator's key scripts on any bytes: a script is either refused with a
// message naming the file and the line, or read into events with ticks from 1,
// codes up to 65535, in tick order; written out again as plain lines, those
// events read back the same.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "sim/key_script.h"
#include "sim/sim_options.h"
#include "tests/fuzz/fuzz_check.h"

using voltaro::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace voltaro::sim;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<KeyEvent> events;
  try {
    events = ParseKeyScript(in, "keys.txt");
  } catch (const UsageError& error) {
    Check(std::string(error.what()).rfind("keys.txt:", 0) == 0);
    return 0;
  }
  std::ostringstream out;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const KeyEvent& e = events[i];
    Check(e.tick >= 1 && e.code >= 0 && e.code <= 65535);
    Check(i == 0 || events[i - 1].tick <= e.tick);
    out << e.tick << (e.down ? " down " : " up ") << e.code << '\n';
  }
  std::istringstream again(out.str());
  const std::vector<KeyEvent> reread = ParseKeyScript(again, "again.txt");
  Check(reread.size() == events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    Check(reread[i].tick == events[i].tick && reread[i].down == events[i].down &&
          reread[i].code == events[i].code);
  }
  return 0;
}
