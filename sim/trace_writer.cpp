// Building trace lines. The key order is fixed, so two runs with the same
// seed and input produce the same bytes; each line is built in one buffer and
// goes out in one write.
#include "sim/trace_writer.h"

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

char* PutXY(char* out, float x, float y) {
  out = PutText(out, "{\"x\":");
  out = PutFloat(out, x);
  out = PutText(out, ",\"y\":");
  return PutFloat(out, y);
}

}  // namespace

std::size_t TraceLineBound(const TraceLine& line) {
  std::size_t bound = kFixedBound;
  if (line.events != nullptr) bound += line.events->size() * (16 + kMaxNumberChars);
  if (line.draws != nullptr) bound += line.draws->size() * (1 + kMaxNumberChars);
  return bound;
}

char* PutTraceLine(char* out, const TraceLine& line, const GameState& game) {
  out = PutText(out, "{\"game\":");
  out = PutInt(out, line.game);
  out = PutText(out, ",\"frame\":");
  out = PutInt(out, line.frame);
  out = PutText(out, ",\"tick\":");
  out = PutInt(out, static_cast<std::int64_t>(line.tick));
  out = PutText(out, ",\"mode\":");
  out = PutInt(out, game.GameMode);
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
  out = PutText(out, "],\"score\":");
  out = PutInt(out, game.Score);
  out = PutText(out, ",\"hits\":");
  out = PutInt(out, game.HitCount);

  out = PutText(out, ",\"car\":{\"x\":");
  out = PutFloat(out, game.CarX);
  out = PutText(out, ",\"y\":");
  out = PutFloat(out, game.CarY);
  out = PutText(out, ",\"vx\":");
  out = PutFloat(out, game.CarVX);
  out = PutText(out, ",\"vy\":");
  out = PutFloat(out, game.CarVY);
  out = PutText(out, ",\"onPlate\":");
  out = PutBool(out, game.OnPlate);
  out = PutText(out, ",\"ridePlate\":");
  out = PutInt(out, game.RidePlate);
  out = PutText(out, ",\"moveKey\":");
  out = PutInt(out, game.MoveKey);

  out = PutText(out, "},\"plates\":");
  out = PutArray(out, game.Plates, [](char* o, const Plate& p) {
    o = PutXY(o, p.X, p.Y);
    *o++ = '}';
    return o;
  });
  out = PutText(out, ",\"enemies\":");
  out = PutArray(out, game.Enemies, [](char* o, const Enemy& e) {
    o = PutXY(o, e.X, e.Y);
    o = PutText(o, ",\"goLeft\":");
    o = PutBool(o, e.GoLeft);
    o = PutText(o, ",\"plateNo\":");
    o = PutInt(o, e.PlateNo);
    o = PutText(o, ",\"alive\":");
    o = PutBool(o, e.Alive);
    *o++ = '}';
    return o;
  });
  out = PutText(out, ",\"coins\":");
  out = PutArray(out, game.Coins, [](char* o, const Coin& c) {
    o = PutXY(o, c.X, c.Y);
    *o++ = '}';
    return o;
  });
  out = PutText(out, ",\"bullets\":");
  out = PutArray(out, game.Bullets, [](char* o, const Bullet& b) {
    o = PutXY(o, b.X, b.Y);
    o = PutText(o, ",\"kind\":");
    o = PutInt(o, b.Kind);
    o = PutText(o, ",\"flying\":");
    o = PutBool(o, b.Flying);
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
