// The modal loops in which the operator holds the window: moving or sizing it, its menus, a
// title-bar button held down. Windows runs each inside the handling of the one message that
// starts it (a press on the title bar, a button or the border, a system key, a system command, a
// context menu) and returns from that handling only when the operator lets go. The time the
// window's thread spends inside such a handling is the hold, measured here on the program's clock,
// so that the reply waits can leave it out of their own. The messages that announce a move or a
// menu are not looked at: any program can send them, and a held title-bar button sends none.
//
// Portable, so that it is tested natively: the messages are given by their numbers, which the
// window checks against the system's names where it uses this.
#pragma once

#include <cstdint>

#include "common/clock.h"

namespace trv::ui {

// The messages whose handling may run a modal loop the operator holds.
constexpr std::uint32_t kContextMenuMessage = 0x007B;       // WM_CONTEXTMENU
constexpr std::uint32_t kNcLeftButtonDown = 0x00A1;         // WM_NCLBUTTONDOWN
constexpr std::uint32_t kNcLeftButtonDoubleClick = 0x00A3;  // WM_NCLBUTTONDBLCLK
constexpr std::uint32_t kNcRightButtonDown = 0x00A4;        // WM_NCRBUTTONDOWN
constexpr std::uint32_t kNcRightButtonUp = 0x00A5;          // WM_NCRBUTTONUP
constexpr std::uint32_t kSysKeyDown = 0x0104;               // WM_SYSKEYDOWN
constexpr std::uint32_t kSysKeyUp = 0x0105;                 // WM_SYSKEYUP
constexpr std::uint32_t kSysChar = 0x0106;                  // WM_SYSCHAR
constexpr std::uint32_t kSysCommand = 0x0112;               // WM_SYSCOMMAND

constexpr bool MayRunModalLoop(std::uint32_t message) {
  switch (message) {
    case kContextMenuMessage:
    case kNcLeftButtonDown:
    case kNcLeftButtonDoubleClick:
    case kNcRightButtonDown:
    case kNcRightButtonUp:
    case kSysKeyDown:
    case kSysKeyUp:
    case kSysChar:
    case kSysCommand:
      return true;
    default:
      return false;
  }
}

class OperatorHolds {
 public:
  explicit OperatorHolds(Clock& clock) : clock_(clock) {}

  // The handling of one of the window's messages, for as long as it exists. A hold is counted
  // from the start of the outermost handling that may run a modal loop to its end: a loop begun
  // inside another (the system menu during a move) is part of it.
  class Handling {
   public:
    Handling(OperatorHolds& holds, std::uint32_t message)
        : holds_(MayRunModalLoop(message) ? &holds : nullptr) {
      if (holds_ != nullptr && holds_->depth_++ == 0) holds_->since_us_ = holds_->clock_.NowUs();
    }
    ~Handling() {
      if (holds_ != nullptr && --holds_->depth_ == 0)
        holds_->held_us_ += holds_->clock_.NowUs() - holds_->since_us_;
    }
    Handling(const Handling&) = delete;
    Handling& operator=(const Handling&) = delete;

   private:
    OperatorHolds* holds_;
  };

  // The time of every hold that has ended, in microseconds.
  std::uint64_t held_us() const { return held_us_; }

 private:
  Clock& clock_;
  int depth_ = 0;
  std::uint64_t since_us_ = 0;
  std::uint64_t held_us_ = 0;
};

}  // namespace trv::ui
