// Command-line parsing for voltaro5-sim. Every option that takes a value
// accepts it as the next argument; repeating an option keeps the last value.
#include "sim/sim_options.h"

#include <charconv>
#include <limits>

#include "saves/plain_text.h"

namespace voltaro::sim {

namespace {

constexpr std::uint64_t kMaxCount = std::numeric_limits<std::int32_t>::max();

}  // namespace

std::uint64_t ParseUnsigned(std::string_view text, std::uint64_t lo, std::uint64_t hi,
                            const std::string& what) {
  if (text.empty()) throw UsageError(what + ": empty value, expected a whole number");
  std::uint64_t value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  // from_chars takes no sign and no blanks, so "-1", "+1" and " 1" fail here.
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    throw UsageError(what + ": " + Quoted(text) + " is out of range (" + std::to_string(lo) +
                     " to " + std::to_string(hi) + ")");
  }
  if (ec != std::errc() || ptr != last) {
    throw UsageError(what + ": " + Quoted(text) + " is not a whole number");
  }
  if (value < lo || value > hi) {
    throw UsageError(what + ": " + Quoted(text) + " is out of range (" + std::to_string(lo) +
                     " to " + std::to_string(hi) + ")");
  }
  return value;
}

std::string UsageText() {
  return "usage: voltaro5-sim [--seed N] [--input FILE|-] [--bot SEED] [--pilot SEED] [--games N]\n"
         "                    [--max-frames N] [--trace FILE|-] [--shots DIR [--every K]]\n"
         "                    [--render] [--help]\n"
         "       voltaro5-sim --replay FILE [--trace FILE|-] [--shots DIR [--every K]] [--render]\n"
         "\n"
         "Plays games without a window or a clock and writes a JSON Lines trace,\n"
         "or replays a recorded game and checks that it ends as recorded.\n"
         "\n"
         "  --seed N        seed of the game's random source (default 1)\n"
         "  --input FILE    key script: 'TICK down|up CODE' per line, # comments;\n"
         "                  '-' reads it from standard input\n"
         "  --bot SEED      random presses and releases of the game's keys\n"
         "  --pilot SEED    a player that steers, jumps and fires with some sense\n"
         "  --games N       games one after the other (default 1)\n"
         "  --max-frames N  stop a game after its N-th frame (default 100000)\n"
         "  --trace FILE    write the trace to FILE, '-' for standard output\n"
         "  --shots DIR     save every K-th drawn frame as a BMP picture in DIR\n"
         "  --every K       with --shots: K (default 1)\n"
         "  --render        draw every frame (without saving it)\n"
         "  --replay FILE   replay a recorded game (.v5replay) and compare its end\n"
         "  --help          show this text\n"
         "\n"
         "Exit status: 0 done (a replay ended as recorded), 1 the game stopped on a\n"
         "run-time error, 2 bad command line, key script or replay file, 3 the replay\n"
         "did not end as recorded.\n";
}

Options ParseOptions(const std::vector<std::string_view>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const std::string name(arg);
    auto value = [&]() -> std::string_view {
      if (i + 1 >= args.size()) throw UsageError(name + ": missing value");
      return args[++i];
    };
    auto text = [&]() -> std::string {
      const std::string_view v = value();
      if (v.empty()) throw UsageError(name + ": empty value");
      return std::string(v);
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--seed") {
      options.seed = ParseUnsigned(value(), 0, std::numeric_limits<std::uint64_t>::max(), name);
    } else if (arg == "--input") {
      options.inputPath = text();
    } else if (arg == "--bot") {
      options.botSeed = ParseUnsigned(value(), 0, std::numeric_limits<std::uint64_t>::max(), name);
    } else if (arg == "--pilot") {
      options.pilotSeed =
          ParseUnsigned(value(), 0, std::numeric_limits<std::uint64_t>::max(), name);
    } else if (arg == "--games") {
      options.games = static_cast<std::int64_t>(ParseUnsigned(value(), 1, kMaxCount, name));
    } else if (arg == "--max-frames") {
      options.maxFrames = static_cast<std::int64_t>(ParseUnsigned(value(), 1, kMaxCount, name));
    } else if (arg == "--trace") {
      options.tracePath = text();
    } else if (arg == "--shots") {
      options.shotsDir = text();
    } else if (arg == "--every") {
      options.every = static_cast<std::int64_t>(ParseUnsigned(value(), 1, kMaxCount, name));
    } else if (arg == "--render") {
      options.render = true;
    } else if (arg == "--replay") {
      options.replayPath = text();
    } else if (arg.starts_with("-") && arg != "-") {
      throw UsageError(name + ": unknown option (try --help)");
    } else {
      throw UsageError(Quoted(arg) + ": unexpected argument (try --help)");
    }
  }
  if (!options.replayPath.empty()) {
    for (const std::string_view arg : args) {
      if (arg == "--input" || arg == "--bot" || arg == "--pilot" || arg == "--games" ||
          arg == "--seed" || arg == "--max-frames") {
        throw UsageError("--replay: cannot be combined with " + std::string(arg) +
                         ": a replay brings its own keys, random source and length");
      }
    }
  }
  return options;
}

}  // namespace voltaro::sim
