// What the game hears through the key gate: scripted front-end events, one
// batch per FeedPending, checked at the key sink pump by pump.
#include "scenes/key_gate.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace voltaro {
namespace {

// Hears the game's keys as "d5" (down), "u5" (up), "r" (resumed), and what the
// window shows over its picture: "P" the pause sign, "!" the sign with its
// line lit, "?" the help, "S" the picture alone again.
struct Heard final : KeySink {
  std::string log;
  void Add(const std::string& what) { log += (log.empty() ? "" : " ") + what; }
  void OnKeyDown(int code) override { Add("d" + std::to_string(code)); }
  void OnKeyUp(int code) override { Add("u" + std::to_string(code)); }
  void OnResumed() override { Add("r"); }
};

// One pump's events, batches split by '|': the first is pending as the pump
// begins, the others come one per wake while held. "d1:5" key 1 down with
// code 5, "k1:5" a keyboard's release, "x1:5" a pad's release, "w1" window
// key 1 down, "p" the pause key, "e" Esc, "h" F1, "f" focus lost, "i" an input
// method composing.
class ScriptedFeed final : public EventFeed {
 public:
  ScriptedFeed(KeyGate& gate, Heard& heard, const std::string& script)
      : gate_(gate), heard_(heard), script_(script) {}
  void FeedPending(KeySink& keys) override {
    std::string event;
    while (script_ >> event && event != "|") {
      const char what = event[0];
      const KeyGate::Source source = event.size() > 1 ? std::stoi(event.substr(1)) : 0;
      const std::size_t colon = event.find(':');
      const int code = colon != std::string::npos ? std::stoi(event.substr(colon + 1)) : 0;
      if (what == 'd') gate_.KeyDown(keys, source, code);
      if (what == 'k') gate_.KeyUp(keys, source, code, KeyGate::Stray::kReaches);
      if (what == 'x') gate_.KeyUp(keys, source, code, KeyGate::Stray::kDropped);
      if (what == 'w') gate_.TakeForWindow(source);
      if (what == 'p') gate_.PressWindowKey(WindowKey::kPause);
      if (what == 'e') gate_.PressWindowKey(WindowKey::kEscape);
      if (what == 'h') gate_.PressWindowKey(WindowKey::kHelp);
      if (what == 'f') gate_.FocusLost();
      if (what == 'i') gate_.PressWithoutRelease(keys, 229);
    }
    if (!script_ && gate_.Shown() != Overlay::kNone) {
      throw std::runtime_error("held with no events left");
    }
  }
  void SleepWhilePaused() override {}
  void ShowOverlay(Overlay overlay) override {
    heard_.Add(std::string(1, "SP!?"[static_cast<int>(overlay)]));
  }

 private:
  KeyGate& gate_;
  Heard& heard_;
  std::istringstream script_;
};

// Where the game stands: on the title (help, no pause), in the set-up (neither),
// or in play with the focus loss pausing or not.
enum Stage { kTitle, kSetUp, kPlay, kPlayKeepsOnWithoutFocus };

TEST(KeyGate, TheGameHearsItsKeysAsTheRulesSay) {
  struct Case {
    const char* name;
    Stage stage;
    std::vector<std::string> pumps;  // each pump's events
    std::vector<std::string> heard;  // at each pump
  };
  // clang-format off
  const Case cases[] = {
      {"a held key repeats; its release matches the press though the modifiers changed it",
       kTitle, {"d1:5 d1:5 k1:6 k1:6"}, {"d5 d5 u5 u6"}},
      {"a key with no code never reaches the game", kTitle, {"d1:0 k1:0"}, {""}},
      {"a keyboard's stray release reaches the game, a pad's does not", kTitle,
       {"k1:5 x2:6 d2:6 x2:6"}, {"u5 d6 u6"}},
      {"a window key and its release never reach the game", kTitle, {"w1 w1 k1:5"}, {""}},
      {"a composition is a press", kTitle, {"i"}, {"d229"}},
      {"no pause outside play", kTitle, {"p f d1:5"}, {"d5"}},
      {"no pause on focus loss if the player says so", kPlayKeepsOnWithoutFocus, {"f d1:5"},
       {"d5"}},
      {"presses during the pause are dropped but light its line; releases of held keys come "
       "after it", kPlay, {"d1:5 d2:6 p | d3:7 k3:7 k1:5 d4:8 i | f p", "", "x2:6 x4:8"},
       {"d5 d6 P ! S r", "u5", "u6"}},
      {"the line goes out when the keys pressed during the pause are up", kPlay,
       {"p | d1:5 d2:0 | d1:5 | x1:5 | p"}, {"P ! P S r"}},
      {"a keyboard key pressed during the pause and let go after reaches the game", kPlay,
       {"p | d1:5 | p", "k1:5"}, {"P ! S r", "u5"}},
      {"focus loss pauses; a pause begun and ended among the same events still resumes", kPlay,
       {"f | p", "p p"}, {"P S r", "S r"}},
      {"Esc pauses and resumes play", kPlay, {"e | e"}, {"P S r"}},
      {"F1 in play pauses with the help; Esc or F1 closes it to the pause, P resumes from it",
       kPlay, {"h | e | h | h | h | p"}, {"? P ? P ? S r"}},
      {"on the title F1 holds the screen until F1, Esc or Enter; P does nothing there", kTitle,
       {"h | p | h", "h | e", "h | d1:13"}, {"? S", "? S", "? S"}},
      {"the Enter that closes the help, its repeats and its release never reach the game", kTitle,
       {"h | d1:13 d1:13", "d1:13 k1:13 d2:13 d3:5 k3:5"}, {"? S", "d13 d5 u5"}},
      {"keys held when the help opens come up after it; presses meanwhile are dropped", kTitle,
       {"d1:5 h | d2:6 k1:5 k2:6 i | h", "", "k2:6"}, {"d5 ? S", "u5", "u6"}},
      {"Enter leaves the screen: no help after it among the same events", kTitle, {"d1:13 h"},
       {"d13"}},
      {"no help or pause during the set-up", kSetUp, {"h e p f d1:5"}, {"d5"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    KeyGate gate;
    gate.AllowPause(c.stage >= kPlay);
    gate.AllowHelp(c.stage == kTitle);
    gate.SetPauseOnFocusLoss(c.stage != kPlayKeepsOnWithoutFocus);
    std::vector<std::string> heard;
    for (const std::string& script : c.pumps) {
      Heard sink;
      ScriptedFeed feed(gate, sink, script);
      gate.Pump(sink, feed);
      heard.push_back(sink.log);
    }
    EXPECT_EQ(heard, c.heard) << c.name;
  }
}

}  // namespace
}  // namespace voltaro
