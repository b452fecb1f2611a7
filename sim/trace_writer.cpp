// Building trace lines. The key order is fixed, so two runs with the same
// seed and input produce the same bytes; each line is built in one buffer and
// goes out in one write.
#include "sim/trace_writer.h"

#include <type_traits>

#include "sim/json_text.h"

namespace voltaro::sim {

namespace {

// Room for everything but the events and draws: about 150 values and their
// keys come to well under 3000 characters.
constexpr std::size_t kFixedBound = 8192;

template <typename T, std::size_t N, typename Fn>
char* PutArray(char* out, const std::array<T, N>& items, Fn putItem) {
  *out++ = '[';
  for (std::size_t i = 0; i < N; ++i) {
    if (i != 0) *out++ = ',';
    out = putItem(out, items[i]);
  }
  *out++ = ']';
  return out;
}

// A key (with the punctuation before it) and its value.
template <std::size_t N>
char* Put(char* out, const char (&key)[N], float value) {
  return PutFloat(PutText(out, key), value);
}
template <std::size_t N>
char* Put(char* out, const char (&key)[N], bool value) {
  return PutBool(PutText(out, key), value);
}
template <std::size_t N, typename Int>
requires std::is_integral_v<Int>
char* Put(char* out, const char (&key)[N], Int value) {
  return PutInt(PutText(out, key), static_cast<std::int64_t>(value));
}

char* PutXY(char* out, float x, float y) {
  return Put(Put(out, "{\"x\":", x), ",\"y\":", y);
}

}  // namespace

std::size_t TraceLineBound(const TraceLine& line) {
  std::size_t bound = kFixedBound;
  if (line.events != nullptr) bound += line.events->size() * (16 + kMaxNumberChars);
  if (line.draws != nullptr) bound += line.draws->size() * (1 + kMaxNumberChars);
  return bound;
}

char* PutTraceLine(char* out, const TraceLine& line, const GameState& game) {
  out = Put(out, "{\"game\":", line.game);
  out = Put(out, ",\"frame\":", line.frame);
  out = Put(out, ",\"tick\":", static_cast<std::int64_t>(line.tick));
  out = Put(out, ",\"mode\":", game.GameMode);
  out = PutText(out, ",\"end\":");
  if (line.end == nullptr) {
    out = PutText(out, "null");
  } else {
    const std::size_t length = std::strlen(line.end);  // "hits", "fell", "limit"
    *out++ = '"';
    std::memcpy(out, line.end, length);
    out += length;
    *out++ = '"';
  }

  out = PutText(out, ",\"events\":[");
  if (line.events != nullptr) {
    bool first = true;
    for (const KeyEvent& event : *line.events) {
      if (!first) *out++ = ',';
      first = false;
      out = event.down ? PutText(out, "[\"down\",") : PutText(out, "[\"up\",");
      out = PutInt(out, event.code);
      *out++ = ']';
    }
  }
  out = PutText(out, "],\"draws\":[");
  if (line.draws != nullptr) {
    bool first = true;
    for (const float draw : *line.draws) {
      if (!first) *out++ = ',';
      first = false;
      out = PutFloat(out, draw);
    }
  }
  out = Put(out, "],\"score\":", game.Score);
  out = Put(out, ",\"hits\":", game.HitCount);

  out = Put(out, ",\"car\":{\"x\":", game.CarX);
  out = Put(out, ",\"y\":", game.CarY);
  out = Put(out, ",\"vx\":", game.CarVX);
  out = Put(out, ",\"vy\":", game.CarVY);
  out = Put(out, ",\"onPlate\":", game.OnPlate);
  out = Put(out, ",\"ridePlate\":", game.RidePlate);
  out = Put(out, ",\"moveKey\":", game.MoveKey);

  // Plates and coins are a position and nothing more.
  const auto putPlace = [](char* o, const auto& thing) {
    o = PutXY(o, thing.X, thing.Y);
    *o++ = '}';
    return o;
  };
  out = PutText(out, "},\"plates\":");
  out = PutArray(out, game.Plates, putPlace);
  out = PutText(out, ",\"enemies\":");
  out = PutArray(out, game.Enemies, [](char* o, const Enemy& e) {
    o = Put(Put(PutXY(o, e.X, e.Y), ",\"goLeft\":", e.GoLeft), ",\"plateNo\":", e.PlateNo);
    o = Put(o, ",\"alive\":", e.Alive);
    *o++ = '}';
    return o;
  });
  out = PutText(out, ",\"coins\":");
  out = PutArray(out, game.Coins, putPlace);
  out = PutText(out, ",\"bullets\":");
  out = PutArray(out, game.Bullets, [](char* o, const Bullet& b) {
    o = Put(Put(PutXY(o, b.X, b.Y), ",\"kind\":", b.Kind), ",\"flying\":", b.Flying);
    *o++ = '}';
    return o;
  });

  const auto putFlag = [](char* o, bool v) { return PutBool(o, v); };
  out = PutText(out, ",\"fire\":{\"held\":");
  out = PutArray(out, game.FireHeld, putFlag);
  out = PutText(out, ",\"released\":");
  out = PutArray(out, game.FireReleased, putFlag);
  out = PutText(out, ",\"served\":");
  out = PutArray(out, game.FireServed, putFlag);
  out = PutText(out, ",\"cooldown\":");
  out = PutArray(out, game.FireCooldown, [](char* o, std::int16_t v) { return PutInt(o, v); });
  return PutText(out, "}}\n");
}

std::string TraceLineText(const TraceLine& line, const GameState& game) {
  std::string text(TraceLineBound(line), '\0');
  text.resize(static_cast<std::size_t>(PutTraceLine(text.data(), line, game) - text.data()));
  return text;
}

void TraceWriter::Write(const TraceLine& line, const GameState& game) {
  const std::size_t bound = TraceLineBound(line);
  if (buffer_.size() < bound) buffer_.resize(bound);
  const std::size_t length =
      static_cast<std::size_t>(PutTraceLine(buffer_.data(), line, game) - buffer_.data());
  std::fwrite(buffer_.data(), 1, length, file_);
}

}  // namespace voltaro::sim
