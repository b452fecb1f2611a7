// The simulator's command line: what to run, how many games, where the trace
// and the pictures go. Parsing fails with a UsageError whose message names the
// option and the problem; main() prints it and exits with status 2.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace voltaro::sim {

// Bad command line, unreadable or malformed input: reported, exit status 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

struct Options {
  std::uint64_t seed = 1;
  std::string inputPath;   // empty: no key script; "-": standard input
  std::string replayPath;  // empty: play, do not replay
  std::optional<std::uint64_t> botSeed;
  std::optional<std::uint64_t> pilotSeed;
  std::int64_t games = 1;
  std::int64_t maxFrames = 100000;
  std::string tracePath;  // empty: no trace; "-": standard output
  std::string shotsDir;   // empty: no pictures saved
  std::int64_t every = 1;
  bool render = false;
  bool help = false;
};

// Reads the arguments after the program name.
Options ParseOptions(const std::vector<std::string_view>& args);

// The usage text --help prints.
std::string UsageText();

// A whole decimal number in [lo, hi], nothing before or after it. Throws
// UsageError naming `what` when the text is not one.
std::uint64_t ParseUnsigned(std::string_view text, std::uint64_t lo, std::uint64_t hi,
                            const std::string& what);

}  // namespace voltaro::sim
