// The game's sound effects by name, and a set of them: what one frame of play
// (or the game-over screen) asks to be heard. The cues (frame_cues.h) make the
// sets, the synthesiser (synth.h) makes each effect's samples once, and the
// mixer (mixer.h) plays them.
#pragma once

#include <cstdint>

namespace voltaro {

enum class Effect : std::uint8_t {
  kJump,       // the car leaves a plate upward
  kShot,       // a bullet starts flying
  kCoin,       // a coin taken
  kEnemyDown,  // an enemy shot down
  kCarHit,     // an enemy ran into the car
  kGameOver,   // the car fell out, or the fourth hit
  kNewRecord,  // the game-over screen shows a new best score
};
inline constexpr int kEffectCount = 7;

// Several effects of one frame; each is heard once however often it happened.
class EffectSet {
 public:
  void Add(Effect effect) { bits_ |= Bit(effect); }
  bool Has(Effect effect) const { return (bits_ & Bit(effect)) != 0; }
  bool Empty() const { return bits_ == 0; }
  bool operator==(const EffectSet&) const = default;

 private:
  static std::uint32_t Bit(Effect effect) { return 1u << static_cast<unsigned>(effect); }
  std::uint32_t bits_ = 0;
};

}  // namespace voltaro
