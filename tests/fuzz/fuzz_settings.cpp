// The settings in Voltaro5.ini on any bytes: never a crash, a window scale
// within 1..16, and every warning a line of its own naming the file.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "desktop/settings.h"
#include "tests/fuzz/fuzz_check.h"

using voltaro::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::ostringstream warnings;
  const voltaro::Settings settings = voltaro::ParseSettings(bytes, "Voltaro5.ini", warnings);
  Check(settings.window.scale >= 1 && settings.window.scale <= 16);
  std::istringstream lines(warnings.str());
  for (std::string line; std::getline(lines, line);) {
    Check(line.rfind("voltaro5: warning: Voltaro5.ini", 0) == 0);
  }
  return 0;
}
