// The modal loops in which the operator holds the window: moving or sizing it (WM_ENTERSIZEMOVE to
// WM_EXITSIZEMOVE) and its menus (WM_ENTERMENULOOP to WM_EXITMENULOOP). Windows runs each inside
// the message that starts it for as long as the operator holds it, so the pump that dispatched
// that message returns only afterwards. Their time is measured here, on the program's clock, so
// that the reply waits can leave it out of their own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/clock.h"

namespace trv::ui {

class OperatorHolds {
 public:
  explicit OperatorHolds(Clock& clock) : clock_(clock) {}

  // Follows each of the window's messages.
  void Follow(UINT message) {
    switch (message) {
      case WM_ENTERSIZEMOVE:
      case WM_ENTERMENULOOP:
        if (depth_++ == 0) since_us_ = clock_.NowUs();
        break;
      case WM_EXITSIZEMOVE:
      case WM_EXITMENULOOP:
        // A loop begun inside another (the menu during a move) ends within it.
        if (depth_ > 0 && --depth_ == 0) held_us_ += clock_.NowUs() - since_us_;
        break;
    }
  }
  // The time of every hold that has ended, in microseconds.
  std::uint64_t held_us() const { return held_us_; }

 private:
  Clock& clock_;
  int depth_ = 0;
  std::uint64_t since_us_ = 0;
  std::uint64_t held_us_ = 0;
};

}  // namespace trv::ui
