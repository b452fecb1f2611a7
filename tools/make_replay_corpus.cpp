// voltaro5-make-replay-corpus DIR: plays the recorded games of tests/replays
// through the window's scenes, on the scripted window the scene tests use
// (tests/support/scripted_shell.h), and writes them to DIR. Run by hand and
// only on purpose (see tests/replays/README.md). Exit status 0 when every
// game was written, 1 when one could not be made or written, 2 for a bad
// command line.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/key_codes.h"
#include "game/recording.h"
#include "gfx/sprites.h"
#include "saves/file_write.h"
#include "saves/replay_text.h"
#include "scenes/scenes.h"
#include "sim/players.h"
#include "tests/support/scripted_shell.h"

namespace {

using voltaro::Recording;
using voltaro::testing::ScriptedShell;

// The window's clock moves a millisecond per pump and three per picture, so
// that the keys land in every kind of pump.
void Pace(ScriptedShell& window) {
  window.msPerPump = 1;
  window.msPerPicture = 3;
}

// Plays through the scenes until the script closes the window; returns the
// games finished by then. `prepare` sees the scenes before start-up.
std::vector<Recording> Play(ScriptedShell& window,
                            const std::function<void(voltaro::Scenes&)>& prepare = {}) {
  static const voltaro::Sprites sprites = voltaro::LoadSprites();
  std::vector<Recording> games;
  voltaro::Scenes scenes(window, sprites,
                         {[] { return 0; }, [](std::int32_t score) { return score; },
                          [&games](const Recording& game, bool) { games.push_back(game); }});
  if (prepare) prepare(scenes);
  scenes.StartUp();
  try {
    scenes.RunScenes();
  } catch (const voltaro::QuitRequested&) {
  }
  return games;
}

bool Save(const std::string& dir, const std::string& name, const Recording& game) {
  std::string whyNot;
  if (voltaro::WriteFileAtomically(dir + "/" + name, voltaro::ReplayText(game), &whyNot)) {
    return true;
  }
  std::fprintf(stderr, "voltaro5-make-replay-corpus: %s: %s\n", name.c_str(), whyNot.c_str());
  return false;
}

// Plays every game of the corpus and writes it to `dir`; false when one could
// not be made or written.
bool MakeCorpus(const std::string& dir) {
  using namespace voltaro;
  bool ok = true;
  {  // Enter and nothing else: the car falls onto the first plate and rides it out.
    ScriptedShell window;
    window.seed = 77;
    Pace(window);
    window.At(1100, kKeyEnter);
    window.At(20'000, kKeyEnter);
    window.At(20'000, testing::kClose);
    const std::vector<Recording> games = Play(window);
    ok = !games.empty() && Save(dir, "no_keys_fell.v5replay", games[0]) && ok;
  }
  {  // A careless player whose keys land in set-up, in placements and between
     // frames; its second game starts from what the first left behind.
    ScriptedShell window;
    window.seed = 77;
    Pace(window);
    std::mt19937 random(99);
    const int keys[] = {kKeyLeft, kKeyRight, kKeyUp, kKeyZ, kKeyV, kKeyD, kKeyEnter, kKeyProcess};
    std::uint64_t last = 0;
    for (std::uint64_t at = 1200; at < 120'000; at += 1 + random() % 40) {
      const int key = keys[random() % std::size(keys)];
      window.At(at, random() % 3 == 0 ? -key : key);
      last = at;
    }
    window.At(last, testing::kClose);
    const std::vector<Recording> games = Play(window);
    ok = games.size() >= 2 && Save(dir, "careless_first.v5replay", games[0]) &&
         Save(dir, "careless_second_carry_over.v5replay", games[1]) && ok;
  }
  // The pilot, between frames: long games, ended by enemies or by a fall.
  bool haveHits = false, haveLong = false;
  for (std::uint64_t seed = 1; seed <= 40 && !(haveHits && haveLong); ++seed) {
    ScriptedShell window;
    window.seed = seed;
    Pace(window);
    window.At(1100, kKeyEnter);
    window.At(100'000'000, testing::kClose);
    sim::Pilot pilot(seed);
    std::uint64_t tick = 0;
    const std::vector<Recording> games = Play(window, [&](Scenes& scenes) {
      window.player = [&pilot, &tick, &game = scenes.Game()](std::vector<int>& wanted) {
        if (game.GameMode != kModePlaying) return;
        std::vector<sim::KeyEvent> events;
        pilot.Decide(game, ++tick, events);
        for (const sim::KeyEvent& e : events) wanted.push_back(e.down ? e.code : -e.code);
      };
    });
    if (games.empty()) continue;
    const Recording& game = games[0];
    if (game.end == FrameEnd::kHits && !haveHits) {
      haveHits = true;
      ok = Save(dir, "pilot_hits.v5replay", game) && ok;
    }
    if (game.end == FrameEnd::kFell && game.frames > 4000 && !haveLong) {
      haveLong = true;
      ok = Save(dir, "pilot_long_fell.v5replay", game) && ok;
    }
  }
  if (!ok || !haveHits || !haveLong) {
    std::fputs("voltaro5-make-replay-corpus: not every game could be made and written\n", stderr);
  }
  return ok && haveHits && haveLong;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: voltaro5-make-replay-corpus DIR\n", stderr);
    return 2;
  }
  try {
    return MakeCorpus(argv[1]) ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "voltaro5-make-replay-corpus: %s\n", error.what());
    return 1;
  }
}
