// The browser page behind the game: the playfield on a canvas, placed as in
// the desktop window (the largest whole factor of device pixels that fits,
// gfx/scaling.h) whenever the page changes size, the page's title as caption
// and the game's icon as its favicon, the millisecond clock, the document's
// key events turned into the desktop's virtual-key codes, the waits, and the
// input-method message.
// The waits suspend the program through Asyncify and give the page back to
// the browser, which runs the key handlers meanwhile.
#pragma once

#include <emscripten/html5.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "gfx/sprites.h"
#include "gfx/surface.h"
#include "scenes/shell.h"

namespace voltaro {

class WebShell final : public Shell {
 public:
  // Takes the document's key events and sets the page's favicon.
  explicit WebShell(const Sprites& sprites);
  ~WebShell() override;
  WebShell(const WebShell&) = delete;
  WebShell& operator=(const WebShell&) = delete;

  void SetCaption(const std::string& caption) override;
  void SetClientSize(int width, int height) override;
  void ShowWindow() override;
  std::int32_t Now() override;
  void PumpEvents(KeySink& keys) override;
  void WaitForEventsUntil(std::int32_t tick) override;
  void WaitForEvent() override;
  void Show(const Surface& picture) override;
  void ShowImeMessage() override;

 private:
  struct KeyEvent {
    bool down;
    int code;
  };
  static EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* self);
  static EM_BOOL OnBlur(int eventType, const EmscriptenFocusEvent* event, void* self);
  static EM_BOOL OnResize(int eventType, const EmscriptenUiEvent* event, void* self);
  void Queue(KeyEvent event);
  void LayOut() const;

  std::deque<KeyEvent> pending_;
  std::vector<int> held_;           // keys down, released when the page loses focus
  std::vector<std::uint8_t> rgba_;  // the picture as the canvas takes it
  int fieldW_ = 0;                  // the canvas's size, once the scenes set it
  int fieldH_ = 0;
};

// Shows a message that ends the game on the page, over the playfield, and
// on the console.
void ShowFatalErrorOnPage(const std::string& caption, const std::string& message);

}  // namespace voltaro
