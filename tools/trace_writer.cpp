// Building trace lines. The key order is fixed, so two runs with the same
// seed and input produce the same bytes; each line goes out in one write.
#include "trace_writer.h"

#include "json_text.h"

namespace voltaro::sim {

namespace {

template <typename T, std::size_t N, typename Fn>
void AppendArray(std::string& out, const std::array<T, N>& items, Fn appendItem) {
  out.push_back('[');
  for (std::size_t i = 0; i < N; ++i) {
    if (i != 0) out.push_back(',');
    appendItem(out, items[i]);
  }
  out.push_back(']');
}

void AppendXY(std::string& out, float x, float y) {
  out.append("{\"x\":");
  AppendFloat(out, x);
  out.append(",\"y\":");
  AppendFloat(out, y);
}

}  // namespace

void AppendTraceLine(std::string& out, const TraceLine& line, const GameState& game) {
  out.append("{\"game\":");
  AppendInt(out, line.game);
  out.append(",\"frame\":");
  AppendInt(out, line.frame);
  out.append(",\"tick\":");
  AppendInt(out, static_cast<std::int64_t>(line.tick));
  out.append(",\"mode\":");
  AppendInt(out, game.GameMode);
  out.append(",\"end\":");
  if (line.end == nullptr) {
    out.append("null");
  } else {
    out.push_back('"');
    out.append(line.end);
    out.push_back('"');
  }

  out.append(",\"events\":[");
  if (line.events != nullptr) {
    bool first = true;
    for (const KeyEvent& event : *line.events) {
      if (!first) out.push_back(',');
      first = false;
      out.append(event.down ? "[\"down\"," : "[\"up\",");
      AppendInt(out, event.code);
      out.push_back(']');
    }
  }
  out.append("],\"draws\":[");
  if (line.draws != nullptr) {
    bool first = true;
    for (const float draw : *line.draws) {
      if (!first) out.push_back(',');
      first = false;
      AppendFloat(out, draw);
    }
  }
  out.append("],\"score\":");
  AppendInt(out, game.Score);
  out.append(",\"hits\":");
  AppendInt(out, game.HitCount);

  out.append(",\"car\":{\"x\":");
  AppendFloat(out, game.CarX);
  out.append(",\"y\":");
  AppendFloat(out, game.CarY);
  out.append(",\"vx\":");
  AppendFloat(out, game.CarVX);
  out.append(",\"vy\":");
  AppendFloat(out, game.CarVY);
  out.append(",\"onPlate\":");
  AppendBool(out, game.OnPlate);
  out.append(",\"ridePlate\":");
  AppendInt(out, game.RidePlate);
  out.append(",\"moveKey\":");
  AppendInt(out, game.MoveKey);

  out.append("},\"plates\":");
  AppendArray(out, game.Plates, [](std::string& o, const Plate& p) {
    AppendXY(o, p.X, p.Y);
    o.push_back('}');
  });
  out.append(",\"enemies\":");
  AppendArray(out, game.Enemies, [](std::string& o, const Enemy& e) {
    AppendXY(o, e.X, e.Y);
    o.append(",\"goLeft\":");
    AppendBool(o, e.GoLeft);
    o.append(",\"plateNo\":");
    AppendInt(o, e.PlateNo);
    o.append(",\"alive\":");
    AppendBool(o, e.Alive);
    o.push_back('}');
  });
  out.append(",\"coins\":");
  AppendArray(out, game.Coins, [](std::string& o, const Coin& c) {
    AppendXY(o, c.X, c.Y);
    o.push_back('}');
  });
  out.append(",\"bullets\":");
  AppendArray(out, game.Bullets, [](std::string& o, const Bullet& b) {
    AppendXY(o, b.X, b.Y);
    o.append(",\"kind\":");
    AppendInt(o, b.Kind);
    o.append(",\"flying\":");
    AppendBool(o, b.Flying);
    o.push_back('}');
  });

  const auto appendFlag = [](std::string& o, bool v) { AppendBool(o, v); };
  out.append(",\"fire\":{\"held\":");
  AppendArray(out, game.FireHeld, appendFlag);
  out.append(",\"released\":");
  AppendArray(out, game.FireReleased, appendFlag);
  out.append(",\"served\":");
  AppendArray(out, game.FireServed, appendFlag);
  out.append(",\"cooldown\":");
  AppendArray(out, game.FireCooldown, [](std::string& o, std::int16_t v) { AppendInt(o, v); });
  out.append("}}\n");
}

void TraceWriter::Write(const TraceLine& line, const GameState& game) {
  line_.clear();
  AppendTraceLine(line_, line, game);
  if (std::fwrite(line_.data(), 1, line_.size(), file_) != line_.size()) ok_ = false;
}

}  // namespace voltaro::sim
