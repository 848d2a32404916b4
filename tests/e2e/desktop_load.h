// What another program can do to the programmer's window while a scenario runs: each lasts for as
// long as its object lives.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace e2e {

// Asks the window to repaint everything (RedrawWindow with invalidate, erase, children and frame)
// every millisecond.
class RepaintFlood {
 public:
  explicit RepaintFlood(HWND window);
  ~RepaintFlood();
  RepaintFlood(const RepaintFlood&) = delete;
  RepaintFlood& operator=(const RepaintFlood&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Sets a message hook on the window's thread that makes each message it retrieves take 60 ms, and
// posts it a message every millisecond, as the mouse moving over a window does, so that every pump
// of its messages meets the hook. Throws when the hook cannot be set.
class SlowRetrieval {
 public:
  SlowRetrieval(HWND window, const std::wstring& hook_library);
  ~SlowRetrieval();
  SlowRetrieval(const SlowRetrieval&) = delete;
  SlowRetrieval& operator=(const SlowRetrieval&) = delete;

 private:
  HMODULE library_ = nullptr;
  HHOOK hook_ = nullptr;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace e2e
