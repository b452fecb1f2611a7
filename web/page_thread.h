// The game runs in a thread of its own beside the page (a worker drawing on
// the canvas handed to it), so the page's own thread only wakes for the
// player's input. The document, its storage and its dialogs are that
// thread's alone: the game reaches them through these, which run a
// JavaScript function of the page (an EM_JS taking numbers and pointers
// only) there and wait for it to finish. Called by the page's shell, input,
// storage and main().
#pragma once

#include <emscripten/threading.h>

#include <type_traits>

namespace voltaro {
namespace page_thread_detail {

// The proxying signature of a function of `count` 32-bit arguments.
constexpr EM_FUNC_SIGNATURE Signature(bool returnsValue, unsigned count) {
  return (returnsValue ? EM_FUNC_SIG_RETURN_VALUE_I : EM_FUNC_SIG_RETURN_VALUE_V) |
         EM_FUNC_SIG_WITH_N_PARAMETERS(count);
}

template <typename T>
constexpr bool kFits32 = (std::is_integral_v<T> || std::is_pointer_v<T>)&&sizeof(T) <= 4;

}  // namespace page_thread_detail

// Runs `js` on the page's thread with `args` and waits for it.
template <typename... Params, typename... Args>
void OnPage(void (*js)(Params...), Args... args) {
  static_assert((page_thread_detail::kFits32<Params> && ...), "numbers and pointers only");
  emscripten_sync_run_in_main_runtime_thread_(
      page_thread_detail::Signature(false, sizeof...(Params)), reinterpret_cast<void*>(js),
      static_cast<Params>(args)...);
}

// Runs `js` on the page's thread with `args`; what it returned.
template <typename Result, typename... Params, typename... Args>
Result FromPage(Result (*js)(Params...), Args... args) {
  static_assert(page_thread_detail::kFits32<Result>, "returns a number or a pointer");
  static_assert((page_thread_detail::kFits32<Params> && ...), "numbers and pointers only");
  const int result = emscripten_sync_run_in_main_runtime_thread_(
      page_thread_detail::Signature(true, sizeof...(Params)), reinterpret_cast<void*>(js),
      static_cast<Params>(args)...);
  if constexpr (std::is_pointer_v<Result>) {
    return reinterpret_cast<Result>(result);
  } else {
    return static_cast<Result>(result);
  }
}

}  // namespace voltaro
