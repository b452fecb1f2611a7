#!/usr/bin/env bash
# Mutation check of the test suite (not part of `make test`): each fault in
# the list below is a realistic single-point mistake in game/, gfx/, saves/,
# scenes/ or desktop/.
# In turn, each is applied to a scratch copy of the sources, the copy is
# built, and the unit tests and then the simulator's scenario tests are run
# against it (not the end-to-end and torture tests, for speed). A fault the
# tests catch is "killed"; one they miss "survived". The score is
# killed / (killed + survived); faults that do not compile do not count.
#
#   scripts/mutants.sh                 every fault
#   scripts/mutants.sh NAME...         only these
#   scripts/mutants.sh --check         only check that every fault applies
#
# WORK (default /tmp/voltaro5-mutants) holds the copy and its build; JOBS the
# build's parallelism. Run it nice'd on a shared machine.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
work=${WORK:-/tmp/voltaro5-mutants}
jobs=${JOBS:-2}

# name | file | the exact text, found once | what replaces it ("\n" is a line break).
# The layers take turns, so that a run cut short has tried all of them.
mutants=$(cat <<'LIST'
contacts-third-ends | game/bullets.cpp | kHitsSurvived = 3 | kHitsSurvived = 2
contacts-at-or-over | game/bullets.cpp | game.HitCount > kHitsSurvived | game.HitCount >= kHitsSurvived
round-half-down | gfx/pixel_round.cpp | if (fraction < 0.5) return below; | if (fraction <= 0.5) return below;
folder-sync-dropped | saves/file_ops_posix.cpp | if (dirFd >= 0) {\n    ops.fsync(dirFd); | if (dirFd >= 0) {
entry-line-end-changed | saves/profile_file.cpp |     out.append(bytes.substr(line.contentEnd)); |     out.append(newline);\n    out.append(bytes.substr(line.end));
cooldown-short | game/bullets.cpp | kCooldown = 10 | kCooldown = 9
bullet-freed-at-edge | game/bullets.cpp | bullet.X <= right | bullet.X < right
scale-one-refused | desktop/settings.cpp | if (value < low || value > high) | if (value <= low || value > high)
round-half-odd | gfx/pixel_round.cpp | ? below : below + 1.0 | ? below + 1.0 : below
newline-added-at-end | saves/profile_file.cpp |     out.append(bytes.substr(line.contentEnd)); |     out.append(bytes.substr(line.contentEnd));\n    if (line.end == line.contentEnd) out.append(newline);
bullet-hit-box-wide | game/bullets.cpp | if (-9 < dx && dx < kEnemyW | if (-9 <= dx && dx < kEnemyW
recorder-keeps-old-keys | game/recorder.h |     recording_ = Recording{};\n |     recording_.frames = 0;\n
walkoff-left-early | game/car.cpp | d > 17 | d >= 17
pixel-floor | gfx/pixel_round.cpp | return static_cast<int>(RoundHalfEven(clamped)); | return static_cast<int>(std::floor(clamped));
names-case-sensitive | saves/plain_text.cpp | LowerAscii(a[i]) != LowerAscii(b[i]) | a[i] != b[i]
in-place-only-on-eperm | saves/file_ops.cpp | exists && (error == EACCES || error == EPERM) | exists && error == EPERM
walkoff-right-early | game/car.cpp | d < -63 || | d <= -63 ||
gravity | game/car.cpp | kGravity = 0.5f | kGravity = 0.55f
clip-one-short | gfx/blit.cpp | std::min({len, dLimit - d, sLimit - s}) | std::min({len, dLimit - d - 1, sLimit - s})
scale-sixteen-refused | desktop/settings.cpp | if (value < low || value > high) | if (value < low || value >= high)
value-cut-long | saves/profile_file.h | kProfileValueMax = 1023 | kProfileValueMax = 1024
bounce-in-single | game/car.cpp | static_cast<float>(-static_cast<double>(vx) * kWallBounce) | -vx * static_cast<float>(kWallBounce)
fast-fall-strict | game/car.cpp | game.CarVY >= kFastFall | game.CarVY > kFastFall
replay-takes-player-keys | scenes/scenes.cpp |   if (replay_ != nullptr && session_.InGame()) return;\n  session_.Deliver(true, keyCode); |   session_.Deliver(true, keyCode);
car-marker-bound | gfx/frame_drawing.cpp | game.CarY >= kCarAboveTop | game.CarY > kCarAboveTop
sync-dropped | saves/file_ops.cpp | } else if (ops.fsync(fd) != 0) {\n    error = errno;\n    reason = "cannot sync " + tempPath; | } else if (false) {\n    error = errno;\n    reason = "cannot sync " + tempPath;
landing-stops-scan | game/car.cpp | game.RidePlate = static_cast<std::int16_t>(i);\n | game.RidePlate = static_cast<std::int16_t>(i);\n      return;\n
in-place-without-file | saves/file_ops.cpp | exists && (error == EACCES || error == EPERM) | (error == EACCES || error == EPERM)
pass-up-window | game/car.cpp | -5 < game.CarVY | -5 <= game.CarVY
hp-line | gfx/frame_drawing.cpp | kHpLineFromBottom = 30 | kHpLineFromBottom = 29
temp-file-kept | saves/file_ops.cpp | if (!path_.empty()) RemoveQuietly(path_); | if (path_.empty()) RemoveQuietly(path_);
fullscreen-size-kept | desktop/sdl_window.cpp | if (!fullscreen_) {\n    windowedScale_ | if (true) {\n    windowedScale_
coin-right-edge | game/coins.cpp | return -kCarW < dx && dx < kCoinW | return -kCarW < dx && dx <= kCoinW
coin-top-edge | game/coins.cpp | && -kCarH < dy && dy < kCoinH; | && -kCarH <= dy && dy < kCoinH;
full-health | gfx/frame_drawing.cpp | kFullHealth = 3 | kFullHealth = 4
gate-release-own-code | scenes/key_gate.cpp |     code = held->second;\n |     (void)held->second;\n
score-truncated | saves/high_score.cpp | negative ? -whole - (fraction ? 1 : 0) : whole | negative ? -whole : whole
coin-not-placed-again | game/coins.cpp |       SetCoin(game, platform, j);\n | \n
enemy-tries | game/enemies.cpp | kMaxTries = 5 | kMaxTries = 4
best-of-two-last-read | saves/high_score.cpp | best = best ? std::max(*best, *stored) : *stored; | best = *stored;
glyph-advance | gfx/text.cpp | Fits16(std::int64_t{*i - 1} * glyphW) | Fits16(std::int64_t{*i} * glyphW)
score-range | saves/high_score.cpp | floored > INT32_MAX | floored >= INT32_MAX
enemy-left-bound | game/enemies.cpp | if (enemy.X < plate.X) { | if (enemy.X <= plate.X) {
pad-other-axes-steer | desktop/pad_input.cpp | event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX | event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY
jump-speed | game/keys.cpp | kJumpSpeed = -13 | kJumpSpeed = -12
last-glyph | gfx/text.cpp | c > kLastGlyph | c >= kLastGlyph
record-on-equal | scenes/scenes.cpp | game_.Score > hiScore_ | game_.Score >= hiScore_
cooldown-low-edge | saves/replay_text.cpp | kCooldownMin = -1 | kCooldownMin = -2
fire-key-swapped | game/keys.cpp | case kKeyV:\n      return 1; | case kKeyV:\n      return 2;
plate-spacing-bound | game/plates.cpp | dx < kMinDX && | dx <= kMinDX &&
blink-phase | scenes/scenes.cpp | blink != kBlinkCycle - 1 | blink != kBlinkCycle
replay-stores-its-record | scenes/scenes.cpp | if (replay_ == nullptr) { | if (true) {
plate-range | game/plates.cpp | return -FloorTimes(600, r); | return -FloorTimes(599, r);
placement-rounds | game/placement_math.h | return std::floor(static_cast<double>(n) * static_cast<double>(r)); | return std::round(static_cast<double>(n) * static_cast<double>(r));
play-period | scenes/scenes.h | kPlayPeriodMs = 30 | kPlayPeriodMs = 31
pad-dpad-left-wrong | desktop/key_bindings.cpp | {{{{SDL_CONTROLLER_BUTTON_DPAD_LEFT}, | {{{{SDL_CONTROLLER_BUTTON_DPAD_UP},
car-before-plates | game/play_frame.cpp | PlatePhase(game, platform);\n  CarPhase(game); | CarPhase(game);\n  PlatePhase(game, platform);
hits-before-move | game/play_frame.cpp | BulletPhase(game);\n  BulletHits(game); | BulletHits(game);\n  BulletPhase(game);
down-key-swapped | desktop/sdl_keys.cpp | case SDLK_DOWN:\n      return kKeyDown; | case SDLK_DOWN:\n      return kKeyUp;
cooldown-high-edge | saves/replay_text.cpp | kCooldownMax = 10 | kCooldownMax = 11
fall-out-at-limit | game/play_frame.cpp | game.CarY > Bound(game.ScreenH, kFallOutBelow) | game.CarY >= Bound(game.ScreenH, kFallOutBelow)
carry-over-dropped | game/game_ready.cpp | for (std::size_t i = 1; i < N; ++i) | for (std::size_t i = 0; i < N; ++i)
clock-passed-early | scenes/clock.h | ClockDiff(now, deadline) > 0 | ClockDiff(now, deadline) >= 0
cli-scale-one-refused | desktop/command_line.cpp | ->check(WholeNumber(1, 16)); | ->check(WholeNumber(2, 16));
release-carry-dropped | game/game_ready.cpp |   game.FireHeld = {}; |   game.FireHeld = {};\n  game.FireReleased = {};
coin-plate-gap | game/coins.cpp | -kPlateW < dx && dx < kCoinW && -kPlateH < dy | -kPlateW < dx && dx < kCoinW && -kPlateH <= dy
pass-up-low-edge | game/car.cpp | dx < 34 && -10 < dy | dx < 34 && -10 <= dy
replay-crlf-kept | saves/replay_text.cpp |     if (!line.empty() && line.back() == '\r') line.remove_suffix(1);\n | \n
enemy-on-unseen-plate | game/enemies.cpp | if (plate.Y > 0) { | if (plate.Y >= 0) {
gate-press-during-pause | scenes/key_gate.cpp | if (paused_ || code == kKeyNone) return; | if (code == kKeyNone) return;
gate-release-in-pause-lost | scenes/key_gate.cpp |       upsAfterPause_.push_back(code);\n      return; |       return;
place-centre-rounds-up | gfx/scaling.cpp | placement.x = (clientW - placement.width) / 2; | placement.x = (clientW - placement.width + 1) / 2;
gate-stray-pad-release | scenes/key_gate.cpp | } else if (paused_ || stray == Stray::kDropped) { | } else if (paused_) {
gate-focus-pause-unasked | scenes/key_gate.cpp | if (pauseOnFocusLoss_ && pauseAllowed_ && !paused_) | if (pauseAllowed_ && !paused_)
replay-speed-period | scenes/scenes.cpp | replay_ != nullptr && session_.Frame() % replay_->framesPerPeriod != 0 | replay_ != nullptr && session_.Frame() % replay_->framesPerPeriod != 1
hard-link-cut-off | saves/file_ops_posix.cpp | info.st_nlink > 1 | info.st_nlink > 2
resume-keeps-old-deadline | scenes/scenes.cpp |       deadline = ClockAdd(frameTime_, kPlayPeriodMs); |       deadline = ClockAdd(deadline, 0);
session-pump-uncounted | game/play_session.cpp |   PumpEvents();\n  host_.WaitForNextFrame(); |   host_.PumpWindow();\n  host_.WaitForNextFrame();
float-tie-scientific | saves/float_text.cpp | plain.size() <= scientific.size() ? plain : scientific | plain.size() < scientific.size() ? plain : scientific
in-place-not-cut | saves/file_ops.cpp | if ((error = CutTo(fd, bytes.size())) != 0) { | if (false) {
float-exponent-one-digit | saves/float_text.cpp | if (std::abs(e) < 10) scientific += '0'; | if (std::abs(e) < 1) scientific += '0';
best-replay-always | saves/replay_files.cpp |     if (newRecord) Write(directory_ + kBestReplayFile, text, warnings); |     Write(directory_ + kBestReplayFile, text, warnings);
record-first-game-lost | saves/replay_files.cpp | if (games_ == 2) Write(recordPath_ + ".1" | if (games_ == 3) Write(recordPath_ + ".1"
xdg-relative-taken | saves/save_place_posix.cpp | return !path.empty() && path.front() == '/'; | return !path.empty();
quote-unescaped | saves/plain_text.cpp | if (c == '"' || c == '\\') { | if (c == '"') {
replay-speed-zero | desktop/command_line.cpp | ->check(WholeNumber(1, 8)); | ->check(WholeNumber(0, 8));
keypad-numlock-ignored | desktop/key_bindings.cpp | if ((modifiers & KMOD_NUM) != 0) return SDLK_UNKNOWN; | if ((modifiers & KMOD_NUM) != 0 && false) return SDLK_UNKNOWN;
gate-window-key-up-reaches | scenes/key_gate.cpp |     windowKeysDown_.erase(taken);\n    return;\n |     windowKeysDown_.erase(taken);\n
page-keypad-enter | web/browser_keys.cpp | if (code == "NumpadEnter") return kKeyEnter; | if (code == "NumpadEnter") return kKeyNone;
page-shortcuts-taken | web/browser_keys.cpp | virtualKey != kKeyProcess && !ctrlAltOrMeta | virtualKey != kKeyProcess
data-fallback-for-data-folder | saves/high_score.cpp | if (place.spot != SaveSpot::kBesideProgram || place.dataIni.empty()) return score; | if (place.spot == SaveSpot::kNowhere || place.dataIni.empty()) return score;
LIST
)

apply() {  # apply ROOT FILE OLD NEW: replaces the one occurrence, or fails
  python3 - "$@" <<'PY'
import sys
root, path, old, new = sys.argv[1:]
old, new = (s.replace("\\n", "\n") for s in (old, new))
full = f"{root}/{path}"
text = open(full).read()
if text.count(old) != 1:
    sys.exit(f"{path}: the text to change occurs {text.count(old)} times: {old!r}")
open(full, "w").write(text.replace(old, new))
PY
}

check_only=0
wanted=()
for arg in "$@"; do
  if [ "$arg" = --check ]; then check_only=1; else wanted+=("$arg"); fi
done

mkdir -p "$work"
rm -rf "$work/src"
mkdir -p "$work/src"
tar -C "$here" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$work/src" -xf -
# The copy keeps the sources' times, older than the objects the last run built
# from its last fault: that file is rebuilt.
if [ -f "$work/last-mutated" ]; then touch "$work/src/$(cat "$work/last-mutated")"; fi

selected=()
while IFS= read -r line; do
  [ -n "$line" ] || continue
  name=${line%% | *}
  if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " == *" $name "* ]]; then continue; fi
  selected+=("$line")
done <<<"$mutants"
echo "mutants: ${#selected[@]} faults"

if [ "$check_only" -eq 1 ]; then
  status=0
  for line in "${selected[@]}"; do
    IFS=$'\x1f' read -r name file old new <<<"$(python3 -c 'import sys; print("\x1f".join(sys.argv[1].split(" | ", 3)))' "$line")"
    cp "$work/src/$file" "$work/original"
    apply "$work/src" "$file" "$old" "$new" || status=1
    cp "$work/original" "$work/src/$file"
  done
  [ "$status" -eq 0 ] && echo "mutants: every fault applies"
  exit "$status"
fi

targets=(voltaro5_game_tests voltaro5_gfx_tests voltaro5_saves_tests voltaro5_scenes_tests
         voltaro5_desktop_tests voltaro5_web_tests voltaro5_scenario_tests voltaro5-sim)
build() {
  cmake --build "$work/build" -j "$jobs" --target "${targets[@]}" >"$work/build.log" 2>&1
}
suite() {  # unit tests first, the slower scenario tests only if they pass
  ctest --test-dir "$work/build" -LE 'e2e|torture|scenario|install|web' -E '_NOT_BUILT$' -j "$jobs" --stop-on-failure \
    --timeout 120 >"$work/test.log" 2>&1 &&
    ctest --test-dir "$work/build" -L scenario -j "$jobs" --stop-on-failure --timeout 300 \
      >>"$work/test.log" 2>&1
}

cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVOLTARO5_BUILD_BENCH=OFF >"$work/configure.log" 2>&1
build || { cat "$work/build.log" >&2; echo "mutants: the unchanged copy does not build" >&2; exit 1; }
suite || { tail -30 "$work/test.log" >&2; echo "mutants: the unchanged copy fails its tests" >&2; exit 1; }

killed=0
survived=0
stillborn=0
survivors=()
start=$(date +%s)
for line in "${selected[@]}"; do
  IFS=$'\x1f' read -r name file old new <<<"$(python3 -c 'import sys; print("\x1f".join(sys.argv[1].split(" | ", 3)))' "$line")"
  cp -p "$work/src/$file" "$work/original"
  if ! apply "$work/src" "$file" "$old" "$new"; then
    echo "mutants: BAD       $name (does not apply)"
    stillborn=$((stillborn + 1))
    continue
  fi
  if ! build; then
    result="NO BUILD"
    stillborn=$((stillborn + 1))
  elif suite; then
    result="SURVIVED"
    survived=$((survived + 1))
    survivors+=("$name")
  else
    result="killed  "
    killed=$((killed + 1))
  fi
  printf 'mutants: %s  %-24s %s\n' "$result" "$name" "$file"
  cp "$work/original" "$work/src/$file"
  touch "$work/src/$file"  # newer than the mutant's objects: rebuilt next time
  echo "$file" >"$work/last-mutated"
done
total=$((killed + survived))
echo "mutants: $killed of $total killed, $survived survived, $stillborn not built," \
  "$(($(date +%s) - start)) s"
[ "$survived" -eq 0 ] || echo "mutants: survivors: ${survivors[*]}"
