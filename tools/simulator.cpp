// The simulator's game loop. Per game: GameMode 1 (Enter on the title
// screen), GameReady, a set-up trace line, then per frame: scripted events of
// the tick in file order, then the bot's and the pilot's, then PlayFrame; a
// frame that goes on is drawn when asked for and earns its ScorePoint.
#include "simulator.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "frame_shots.h"
#include "game/game_ready.h"
#include "game/keys.h"
#include "game/play_frame.h"
#include "game/run_time_error.h"
#include "players.h"
#include "sim_platform.h"
#include "trace_writer.h"

namespace voltaro::sim {

namespace {

const char* EndName(FrameEnd end) {
  switch (end) {
    case FrameEnd::kHits:
      return "hits";
    case FrameEnd::kFell:
      return "fell";
    case FrameEnd::kContinue:
      break;
  }
  return nullptr;
}

}  // namespace

void RunSimulation(const Options& options, const std::vector<KeyEvent>& script, std::FILE* trace,
                   RunSummary& summary) {
  SimPlatform platform(options.seed);
  platform.RecordDraws(trace != nullptr);
  std::unique_ptr<TraceWriter> writer;
  if (trace != nullptr) writer = std::make_unique<TraceWriter>(trace);
  std::unique_ptr<FrameShots> shots;
  if (options.render || !options.shotsDir.empty()) {
    shots = std::make_unique<FrameShots>(options.shotsDir, options.every);
  }
  std::vector<std::unique_ptr<Player>> players;
  if (options.botSeed) players.push_back(std::make_unique<Bot>(*options.botSeed));
  if (options.pilotSeed) players.push_back(std::make_unique<Pilot>(*options.pilotSeed));

  GameState game;
  std::vector<KeyEvent> events;
  events.reserve(16);
  std::vector<float>& draws = platform.Draws();
  std::size_t nextScripted = 0;
  std::uint64_t tick = 1;
  const auto start = std::chrono::steady_clock::now();

  for (std::int64_t gameNo = 1; gameNo <= options.games; ++gameNo) {
    std::int64_t frameNo = 0;
    try {
      game.GameMode = kModePlaying;
      draws.clear();
      GameReady(game, platform);
      if (writer) writer->Write(TraceLine{gameNo, 0, tick, nullptr, nullptr, &draws}, game);

      for (frameNo = 1;; ++frameNo, ++tick) {
        events.clear();
        draws.clear();
        while (nextScripted < script.size() && script[nextScripted].tick <= tick) {
          events.push_back(script[nextScripted++]);
        }
        for (auto& player : players) player->Decide(game, tick, events);
        for (const KeyEvent& event : events) {
          if (event.down) {
            Form_KeyDown(game, platform, event.code);
          } else {
            Form_KeyUp(game, event.code);
          }
        }

        const FrameEnd end = PlayFrame(game, platform);
        const char* endName = EndName(end);
        if (end == FrameEnd::kContinue) {
          if (shots) shots->Frame(game, gameNo, frameNo);
          ScorePoint(game);
          if (frameNo >= options.maxFrames) endName = "limit";
        }
        if (writer) writer->Write(TraceLine{gameNo, frameNo, tick, endName, &events, &draws}, game);
        if (endName != nullptr) {
          summary.games.push_back(GameResult{frameNo, game.Score, endName});
          summary.frames += frameNo;
          ++tick;
          break;
        }
      }
    } catch (const RunTimeError& error) {
      summary.frames += frameNo;
      summary.imeMessages = platform.ImeMessages();
      throw RunTimeError("run-time error in game " + std::to_string(gameNo) + ", frame " +
                         std::to_string(frameNo) + ": " + error.what());
    }
  }
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.imeMessages = platform.ImeMessages();
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
