// The Shell's one shared piece: the time-of-day seed every front end uses.
#include "scenes/shell.h"

#include <chrono>

namespace voltaro {

std::uint64_t Shell::TimeOfDaySeed() {
  return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace voltaro
