// The simulator's game loop. Per game: GameMode 1 (Enter on the title
// screen), set-up, then frame after frame through the same play session as
// the window's play scene. Before each frame the scripted events of its tick are
// delivered in file order, then the bot's and the pilot's; a replay's keys
// arrive instead at the pumps that received them when it was played.
#include "sim/simulator.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "game/key_codes.h"
#include "game/play_session.h"
#include "game/run_time_error.h"
#include "saves/replay_check.h"
#include "sim/frame_shots.h"
#include "sim/players.h"
#include "sim/trace_observer.h"

namespace voltaro::sim {

namespace {

// The window would ask for the input method to be switched off at each
// press of its key; the simulator counts the requests.
class ImeCounter final : public PlayObserver {
 public:
  void KeyDelivered(std::int64_t /*pump*/, bool down, int code) override {
    if (down && code == kKeyProcess) ++count;
  }
  std::int64_t count = 0;
};

// Runs the games of one simulator run: the keys, the pictures and the trace
// around the play session.
class SimHost final : public PlayHost {
 public:
  SimHost(const Options& options, const RandomSource& random, std::FILE* trace,
          const GameState& start = {})
      : options_(options), random_(random), game_(start) {
    if (trace != nullptr) {
      trace_ = std::make_unique<TraceObserver>(trace, options.maxFrames);
      session_.Watch(*trace_);
    }
    session_.Watch(imeMessages_);
    if (options.render || !options.shotsDir.empty()) {
      shots_ = std::make_unique<FrameShots>(options.shotsDir, options.every);
    }
    if (options.botSeed) players_.push_back(std::make_unique<Bot>(*options.botSeed));
    if (options.pilotSeed) players_.push_back(std::make_unique<Pilot>(*options.pilotSeed));
  }

  void SetScript(const std::vector<KeyEvent>& script) { script_ = &script; }

  // Plays one game from its set-up to its end or the frame limit; returns the
  // frame it stopped in and how. A replay passes the recorded keys.
  GameResult PlayOne(std::int64_t gameNo, const std::vector<RecordedKey>* replayKeys = nullptr) {
    gameNo_ = gameNo;
    session_.Start(replayKeys);
    FrameEnd end;
    do {
      end = session_.RunFrame();
    } while (end == FrameEnd::kContinue && session_.Frame() < options_.maxFrames);
    const char* endName = end == FrameEnd::kContinue ? "limit" : TraceObserver::EndName(end);
    return GameResult{session_.Frame(), game_.Score, endName};
  }

  GameState& Game() { return game_; }
  std::int64_t Frame() const { return session_.Frame(); }
  std::int64_t ImeMessages() const { return imeMessages_.count; }

  // PlayHost: the scripted keys and the players' before each frame; the
  // picture, when asked for, of each frame shown.
  void BeginFrame() override {
    events_.clear();
    if (script_ != nullptr) {
      while (nextScripted_ < script_->size() && (*script_)[nextScripted_].tick <= tick_) {
        events_.push_back((*script_)[nextScripted_++]);
      }
    }
    for (auto& player : players_) player->Decide(game_, tick_, events_);
    ++tick_;
    for (const KeyEvent& event : events_) session_.Deliver(event.down, event.code);
  }
  void ShowFrame(const GameState& game) override {
    if (shots_) shots_->Frame(game, gameNo_, session_.Frame());
  }

 private:
  const Options& options_;
  RandomSource random_;
  GameState game_;
  PlaySession session_{game_, random_, *this};
  std::unique_ptr<TraceObserver> trace_;
  ImeCounter imeMessages_;
  std::unique_ptr<FrameShots> shots_;
  std::vector<std::unique_ptr<Player>> players_;
  const std::vector<KeyEvent>* script_ = nullptr;
  std::size_t nextScripted_ = 0;
  std::vector<KeyEvent> events_;
  std::int64_t gameNo_ = 0;
  std::uint64_t tick_ = 1;
};

[[noreturn]] void RethrowInGame(const RunTimeError& error, std::int64_t gameNo,
                                std::int64_t frameNo) {
  throw RunTimeError("run-time error in game " + std::to_string(gameNo) + ", frame " +
                     std::to_string(frameNo) + ": " + error.what());
}

}  // namespace

void RunSimulation(const Options& options, const std::vector<KeyEvent>& script, std::FILE* trace,
                   RunSummary& summary) {
  SimHost host(options, RandomSource(options.seed), trace);
  host.SetScript(script);
  const auto start = std::chrono::steady_clock::now();
  for (std::int64_t gameNo = 1; gameNo <= options.games; ++gameNo) {
    try {
      // Enter on the title screen.
      host.Game().GameMode = kModePlaying;
      const GameResult result = host.PlayOne(gameNo);
      summary.games.push_back(result);
      summary.frames += result.frames;
    } catch (const RunTimeError& error) {
      summary.frames += host.Frame();
      summary.imeMessages = host.ImeMessages();
      RethrowInGame(error, gameNo, host.Frame());
    }
  }
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.imeMessages = host.ImeMessages();
}

std::optional<std::string> RunReplay(const Options& options, const Recording& recording,
                                     std::FILE* trace, RunSummary& summary) {
  // The replay stops at the recorded last frame at the latest.
  Options replayOptions = options;
  replayOptions.maxFrames = recording.frames;
  SimHost host(replayOptions, RandomSource::FromState(recording.randomState), trace,
               recording.start);
  const auto start = std::chrono::steady_clock::now();
  GameResult result;
  try {
    result = host.PlayOne(1, &recording.keys);
  } catch (const RunTimeError& error) {
    summary.frames += host.Frame();
    RethrowInGame(error, 1, host.Frame());
  }
  summary.games.push_back(result);
  summary.frames += result.frames;
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.imeMessages = host.ImeMessages();

  // The replay was stopped at the recorded last frame: "limit" there means
  // the game went on.
  const std::string_view endName = result.end;
  const FrameEnd end = endName == "limit"  ? FrameEnd::kContinue
                       : endName == "hits" ? FrameEnd::kHits
                                           : FrameEnd::kFell;
  return ReplayDivergence(recording, result.frames, end, result.score);
}

std::string SummaryLine(const RunSummary& summary) {
  // Long soak runs play thousands of games: the line names the first ones
  // and counts the rest.
  constexpr std::size_t kListed = 50;
  std::int64_t hits = 0, fell = 0, limit = 0;
  for (const GameResult& result : summary.games) {
    const std::string_view end = result.end;
    hits += end == "hits";
    fell += end == "fell";
    limit += end == "limit";
  }
  std::string line = "voltaro5-sim: games " + std::to_string(summary.games.size()) + ", frames " +
                     std::to_string(summary.frames) + ", ends hits " + std::to_string(hits) +
                     " fell " + std::to_string(fell) + " limit " + std::to_string(limit) +
                     ", scores [";
  for (std::size_t i = 0; i < summary.games.size() && i < kListed; ++i) {
    if (i != 0) line += ", ";
    line += std::to_string(summary.games[i].score) + " " + summary.games[i].end;
  }
  if (summary.games.size() > kListed) {
    line += ", and " + std::to_string(summary.games.size() - kListed) + " more";
  }
  line += "]";
  if (summary.imeMessages > 0) {
    line += ", input-method messages " + std::to_string(summary.imeMessages);
  }
  const double frames = static_cast<double>(summary.frames);
  char speed[96];
  if (summary.frames > 0 && summary.seconds > 0) {
    std::snprintf(speed, sizeof speed, ", %.3f us/frame, %.0f frames/s",
                  summary.seconds * 1e6 / frames, frames / summary.seconds);
  } else {
    std::snprintf(speed, sizeof speed, ", - us/frame");
  }
  line += speed;
  return line;
}

}  // namespace voltaro::sim
