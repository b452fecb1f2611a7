// The process's usage from getrusage; see process_usage.h.
#include <sys/resource.h>

#include "desktop/process_usage.h"

namespace voltaro {

ProcessUsage ReadProcessUsage() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return {usage.ru_utime.tv_sec * 1000000L + usage.ru_utime.tv_usec,
          usage.ru_stime.tv_sec * 1000000L + usage.ru_stime.tv_usec, usage.ru_maxrss};
}

}  // namespace voltaro
