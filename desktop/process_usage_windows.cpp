// The process's usage from GetProcessTimes (in steps of 100 ns) and its peak
// working set; see process_usage.h.
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include "desktop/process_usage.h"

namespace voltaro {
namespace {

std::int64_t Microseconds(const FILETIME& time) {
  const std::uint64_t steps = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
  return static_cast<std::int64_t>(steps / 10);
}

}  // namespace

ProcessUsage ReadProcessUsage() {
  ProcessUsage usage;
  FILETIME created{}, ended{}, system{}, user{};
  if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &system, &user)) {
    usage.userUs = Microseconds(user);
    usage.systemUs = Microseconds(system);
  }
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
    usage.peakMemoryKb = static_cast<std::int64_t>(memory.PeakWorkingSetSize / 1024);
  }
  return usage;
}

}  // namespace voltaro
