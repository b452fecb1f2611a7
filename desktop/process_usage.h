// The processor time and peak memory of this process, for the frame log's
// last line (run_game.cpp, voltaro5-pacing). One file per system:
// process_usage_posix.cpp, process_usage_windows.cpp.
#pragma once

#include <cstdint>

namespace voltaro {

struct ProcessUsage {
  std::int64_t userUs = 0;
  std::int64_t systemUs = 0;
  std::int64_t peakMemoryKb = 0;  // the most memory the process has held at once
};

ProcessUsage ReadProcessUsage();

}  // namespace voltaro
