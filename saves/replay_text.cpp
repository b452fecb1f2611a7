// Writing and reading replay text. Floats are written in the shortest form
// that reads back to the same single (float_text.h), so a replay restores the
// state to the last bit. Every line is checked; the first bad one is reported.
#include "saves/replay_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

#include "saves/float_text.h"

namespace voltaro {
namespace {

// Positions and speeds the rules can reach stay far inside this.
constexpr float kFarthest = 1.0e6f;
// Cool-downs run from 10 down to -1 before the next shot.
constexpr std::int16_t kCooldownMin = -1;
constexpr std::int16_t kCooldownMax = 10;
// More than three contacts end a game, so set-up never starts from more.
constexpr std::int16_t kMostHits = 4;
constexpr std::int64_t kMostFrames = std::numeric_limits<std::int32_t>::max();

void Put(std::string& out, float value) {
  out += FloatText(value);
}

void Put(std::string& out, bool value) {
  out += value ? '1' : '0';
}

void Put(std::string& out, std::string_view word) {
  out.append(word);
}

template <typename Int>
requires std::is_integral_v<Int>
void Put(std::string& out, Int value) {
  out += std::to_string(value);
}

// One line: the item's name, then its values, each after one space.
template <typename... Values>
void PutLine(std::string& out, std::string_view item, const Values&... values) {
  out.append(item);
  ((out += ' ', Put(out, values)), ...);
  out += '\n';
}

// ---- Reading ---------------------------------------------------------------

class Reader {
 public:
  Reader(std::string_view text, const std::string& name) : text_(text), name_(name) {}

  [[noreturn]] void Fail(const std::string& problem) const {
    throw ReplayError(name_ + ":" + std::to_string(lineNo_) + ": " + problem);
  }

  // The next line, split into words; false at the end of the text. Every
  // line the game writes ends in a line break: one without it was cut short
  // (a full disk, a download stopped part-way), and its last number may be
  // cut too. The first line is read whole so that a file of another kind is
  // named as such.
  bool Next() {
    if (at_ >= text_.size()) return false;
    ++lineNo_;
    std::size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos) {
      end = text_.size();
      if (lineNo_ > 1) Fail("the replay ends early: this line is cut short");
    }
    std::string_view line = text_.substr(at_, end - at_);
    at_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    words_.clear();
    std::size_t pos = 0;
    while (pos < line.size()) {
      if (line[pos] == ' ') {
        ++pos;
        continue;
      }
      std::size_t stop = line.find(' ', pos);
      if (stop == std::string_view::npos) stop = line.size();
      words_.push_back(line.substr(pos, stop - pos));
      pos = stop;
    }
    return true;
  }

  // At the end of the text where a line naming `what` should follow.
  [[noreturn]] void EndsEarly(const std::string& what) {
    ++lineNo_;
    Fail("the replay ends early: expected " + what);
  }

  // The next line, which must start with `item` and have `count` values.
  void Expect(std::string_view item, std::size_t count) {
    if (!Next()) EndsEarly("'" + std::string(item) + "'");
    if (words_.empty() || words_[0] != item) {
      Fail("expected '" + std::string(item) + "', found '" +
           Shown(words_.empty() ? "" : words_[0]) + "'");
    }
    Count(count);
  }

  void Count(std::size_t count) const {
    if (words_.size() != count + 1) {
      Fail("'" + Shown(words_[0]) + "' takes " + std::to_string(count) + " value" +
           (count == 1 ? "" : "s") + ", found " + std::to_string(words_.size() - 1));
    }
  }

  const std::vector<std::string_view>& Words() const { return words_; }

  long long Int(std::size_t i, long long lo, long long hi, const char* what) const {
    const std::string_view word = words_[i];
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || ptr != word.data() + word.size()) {
      Fail(std::string(what) + ": '" + Shown(word) + "' is not a whole number");
    }
    if (value < lo || value > hi) {
      Fail(std::string(what) + ": " + std::string(word) + " is out of range (" +
           std::to_string(lo) + " to " + std::to_string(hi) + ")");
    }
    return value;
  }

  std::uint64_t Unsigned(std::size_t i, const char* what) const {
    const std::string_view word = words_[i];
    std::uint64_t value = 0;
    const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || ptr != word.data() + word.size()) {
      Fail(std::string(what) + ": '" + Shown(word) + "' is not a whole number from 0 to " +
           std::to_string(std::numeric_limits<std::uint64_t>::max()));
    }
    return value;
  }

  bool Flag(std::size_t i, const char* what) const { return Int(i, 0, 1, what) == 1; }

  float Float(std::size_t i, const char* what) const {
    const std::string_view word = words_[i];
    const std::optional<float> read = FloatFromText(word);
    if (!read) Fail(std::string(what) + ": '" + Shown(word) + "' is not a number");
    const float value = *read;
    if (!std::isfinite(value) || std::fabs(value) > kFarthest) {
      Fail(std::string(what) + ": " + std::string(word) + " is a value the game never reaches");
    }
    return value;
  }

  // A word as it may be shown in a message: short, printable.
  static std::string Shown(std::string_view word) {
    std::string out;
    for (const char c : word.substr(0, 40)) {
      const auto u = static_cast<unsigned char>(c);
      out += (u >= 0x20 && u < 0x7f) ? c : '?';
    }
    if (word.size() > 40) out += "...";
    return out;
  }

 private:
  std::string_view text_;
  const std::string& name_;
  std::size_t at_ = 0;
  std::int64_t lineNo_ = 0;
  std::vector<std::string_view> words_;
};

}  // namespace

const char* ReplayEndName(FrameEnd end) {
  return end == FrameEnd::kHits ? "hits" : "fell";
}

std::string ReplayText(const Recording& r) {
  const GameState& g = r.start;
  std::string out;
  out.reserve(2048 + r.keys.size() * 16);
  PutLine(out, kReplayMagic, kReplayVersion);
  PutLine(out, "random", r.randomState);
  PutLine(out, "screen", g.ScreenW, g.ScreenH);
  PutLine(out, "mode", g.GameMode);
  PutLine(out, "car", g.CarX, g.CarY, g.CarVX, g.CarVY, g.OnPlate, g.RidePlate, g.MoveKey);
  for (const Plate& p : g.Plates) PutLine(out, "plate", p.X, p.Y);
  for (const Enemy& e : g.Enemies) PutLine(out, "enemy", e.X, e.Y, e.GoLeft, e.PlateNo, e.Alive);
  for (const Coin& c : g.Coins) PutLine(out, "coin", c.X, c.Y);
  for (const Bullet& b : g.Bullets) PutLine(out, "bullet", b.X, b.Y, b.Kind, b.Flying);
  for (std::size_t k = 0; k < kFireKeyCount; ++k) {
    PutLine(out, "fire", g.FireHeld[k], g.FireReleased[k], g.FireServed[k], g.FireCooldown[k]);
  }
  PutLine(out, "score", g.Score);
  PutLine(out, "hits", g.HitCount);
  for (const RecordedKey& key : r.keys) {
    PutLine(out, "key", key.pump, std::string_view(key.down ? "down" : "up"), key.code);
  }
  PutLine(out, "frames", r.frames);
  PutLine(out, "end", std::string_view(ReplayEndName(r.end)));
  PutLine(out, "final", r.score);
  return out;
}

Recording ParseReplayText(std::string_view text, const std::string& name) {
  Reader in(text, name);
  if (text.empty()) throw ReplayError(name + ": the file is empty, not a replay");
  in.Next();
  const auto& w = in.Words();
  if (w.size() != 2 || w[0] != kReplayMagic) {
    in.Fail("not a replay (the first line must be '" + std::string(kReplayMagic) + " " +
            std::to_string(kReplayVersion) + "')");
  }
  if (w[1] != std::to_string(kReplayVersion)) {
    in.Fail("replay version '" + Reader::Shown(w[1]) + "' is not supported (this game reads " +
            std::to_string(kReplayVersion) + ")");
  }
  if (text.find('\n') == std::string_view::npos) {
    in.Fail("the replay ends early: this line is cut short");
  }

  Recording r;
  GameState& g = r.start;
  in.Expect("random", 1);
  r.randomState = in.Unsigned(1, "random");
  in.Expect("screen", 2);
  g.ScreenW = static_cast<std::int16_t>(in.Int(1, kPlayfieldW, kPlayfieldW, "screen width"));
  g.ScreenH = static_cast<std::int16_t>(in.Int(2, kPlayfieldH, kPlayfieldH, "screen height"));
  in.Expect("mode", 1);
  g.GameMode = static_cast<std::int16_t>(in.Int(1, kModePlaying, kModePlaying, "mode"));
  in.Expect("car", 7);
  g.CarX = in.Float(1, "car x");
  g.CarY = in.Float(2, "car y");
  g.CarVX = in.Float(3, "car vx");
  g.CarVY = in.Float(4, "car vy");
  g.OnPlate = in.Flag(5, "car on plate");
  g.RidePlate = static_cast<std::int16_t>(in.Int(6, 0, kPlateCount - 1, "car ride plate"));
  g.MoveKey = static_cast<std::int16_t>(in.Int(7, 0, 2, "car move key"));
  for (Plate& p : g.Plates) {
    in.Expect("plate", 2);
    p.X = in.Float(1, "plate x");
    p.Y = in.Float(2, "plate y");
  }
  for (Enemy& e : g.Enemies) {
    in.Expect("enemy", 5);
    e.X = in.Float(1, "enemy x");
    e.Y = in.Float(2, "enemy y");
    e.GoLeft = in.Flag(3, "enemy go left");
    e.PlateNo = static_cast<std::int16_t>(in.Int(4, 0, kPlateCount - 1, "enemy plate"));
    e.Alive = in.Flag(5, "enemy alive");
  }
  for (Coin& c : g.Coins) {
    in.Expect("coin", 2);
    c.X = in.Float(1, "coin x");
    c.Y = in.Float(2, "coin y");
  }
  for (Bullet& b : g.Bullets) {
    in.Expect("bullet", 4);
    b.X = in.Float(1, "bullet x");
    b.Y = in.Float(2, "bullet y");
    b.Kind = static_cast<std::int16_t>(in.Int(3, 0, 2, "bullet kind"));
    b.Flying = in.Flag(4, "bullet flying");
  }
  for (std::size_t k = 0; k < kFireKeyCount; ++k) {
    in.Expect("fire", 4);
    g.FireHeld[k] = in.Flag(1, "fire held");
    g.FireReleased[k] = in.Flag(2, "fire released");
    g.FireServed[k] = in.Flag(3, "fire served");
    g.FireCooldown[k] =
        static_cast<std::int16_t>(in.Int(4, kCooldownMin, kCooldownMax, "fire cool-down"));
  }
  in.Expect("score", 1);
  g.Score = static_cast<std::int32_t>(in.Int(1, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max(), "score"));
  in.Expect("hits", 1);
  g.HitCount = static_cast<std::int16_t>(in.Int(1, 0, kMostHits, "hits"));

  // Keys, in the order received, until the line with the frame count.
  std::int64_t lastPump = 1;
  for (;;) {
    if (!in.Next()) in.EndsEarly("'key' or 'frames'");
    const auto& words = in.Words();
    if (!words.empty() && words[0] == "frames") break;
    if (words.empty() || words[0] != "key") {
      in.Fail("expected 'key' or 'frames', found '" + Reader::Shown(words.empty() ? "" : words[0]) +
              "'");
    }
    in.Count(3);
    RecordedKey key;
    key.pump = in.Int(1, 1, std::numeric_limits<std::int64_t>::max(), "key pump");
    if (key.pump < lastPump) {
      in.Fail("key at pump " + std::to_string(key.pump) + " comes after one at pump " +
              std::to_string(lastPump) + ": keys must be in the order received");
    }
    lastPump = key.pump;
    if (words[2] == "down") {
      key.down = true;
    } else if (words[2] != "up") {
      in.Fail("'" + Reader::Shown(words[2]) + "' is neither 'down' nor 'up'");
    }
    key.code = static_cast<int>(in.Int(3, 0, 65535, "key code"));
    r.keys.push_back(key);
  }
  in.Count(1);
  r.frames = in.Int(1, 1, kMostFrames, "frames");
  in.Expect("end", 1);
  if (in.Words()[1] == "hits") {
    r.end = FrameEnd::kHits;
  } else if (in.Words()[1] == "fell") {
    r.end = FrameEnd::kFell;
  } else {
    in.Fail("end: '" + Reader::Shown(in.Words()[1]) + "' is neither 'hits' nor 'fell'");
  }
  in.Expect("final", 1);
  r.score = static_cast<std::int32_t>(in.Int(1, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max(), "final"));
  if (in.Next()) in.Fail("unexpected text after the final score");
  return r;
}

}  // namespace voltaro
