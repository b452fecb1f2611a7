// The browser page behind the game: the playfield on a canvas, placed as in
// the desktop window (the largest whole factor of device pixels that fits,
// gfx/scaling.h) in the part of the page the on-screen controls leave free,
// whenever the page changes size; the page's title as caption and the game's
// icon as its favicon; the millisecond clock; the waits; the input-method
// message; and the pause and the help, held by the key gate (scenes/key_gate.h)
// with the desktop's pictures over the picture the game stopped on.
// The waits suspend the program through Asyncify and give the page back to
// the browser, which runs the event handlers meanwhile (page_input.h).
#pragma once

#include <emscripten/html5.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/help_picture.h"
#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/key_gate.h"
#include "scenes/shell.h"
#include "web/browser_keys.h"
#include "web/page_input.h"

namespace voltaro {

class WebShell final : public Shell, public EventFeed {
 public:
  // Sets the page's favicon; `sprites` must outlive the shell.
  explicit WebShell(const Sprites& sprites);
  ~WebShell() override;
  WebShell(const WebShell&) = delete;
  WebShell& operator=(const WebShell&) = delete;

  void SetCaption(const std::string& caption) override;
  void SetClientSize(int width, int height) override;
  void ShowWindow() override;
  std::int32_t Now() override;
  void PumpEvents(KeySink& keys) override { gate_.Pump(keys, *this); }
  void WaitForEventsUntil(std::int32_t tick) override;
  void WaitForEvent() override;
  void Show(const Surface& picture) override;
  void ShowImeMessage() override;
  void AllowPause(bool allowed) override;
  void AllowHelp(bool allowed) override { gate_.AllowHelp(allowed); }

  // EventFeed: the page's events for the gate, and the pause's sleep.
  void FeedPending(KeySink& keys) override;
  void SleepWhilePaused() override;
  void ShowOverlay(Overlay overlay) override;

 private:
  static EM_BOOL OnResize(int eventType, const EmscriptenUiEvent* event, void* self);
  void LayOut() const;
  void Put(const Surface& picture);
  // Samples the pads when the last sample is a poll step old; whether one is
  // there.
  bool SamplePads(double now);

  const Sprites& sprites_;
  PageInput input_;
  KeyGate gate_;
  Surface shown_;                    // the last picture, for the pause sign
  HelpText help_ = PageHelpText();   // the page's controls, for the help
  std::vector<std::uint32_t> rgba_;  // the last picture put, as the canvas takes it
  int sharedW_ = 0;                  // its size as the page's tests were told
  int sharedH_ = 0;
  // The canvas's size, once the scenes set it; read by the page's thread,
  // which lays the page out again as soon as it changes size.
  std::atomic<int> fieldW_ = 0;
  std::atomic<int> fieldH_ = 0;
  double padSampledAt_ = -1e9;  // when the pads were last read
  bool padsThere_ = false;
};

// Shows a message that ends the game on the page, over the playfield, and
// on the console.
void ShowFatalErrorOnPage(const std::string& caption, const std::string& message);

}  // namespace voltaro
