// The fuzz targets' assertion: a broken property stops the run with a crash
// that libFuzzer reports and keeps the input of.
#pragma once

#include <cstdlib>

namespace voltaro::fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace voltaro::fuzz
