// For as long as a programming run lasts, the session is asked not to end: ending it would leave
// the chip half-written. Windows shows the reason to the user who logs off or shuts down.
#pragma once

#include <windows.h>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {

class SessionEndBlock {
 public:
  // Sets `*blocking` for as long as the block lasts, for the window's answer when Windows asks.
  SessionEndBlock(HWND window, bool* blocking) : window_(window), blocking_(blocking) {
    ShutdownBlockReasonCreate(window_, win32::WideFromUtf8(texts::kSessionEndBlockReason).c_str());
    *blocking_ = true;
  }
  ~SessionEndBlock() {
    ShutdownBlockReasonDestroy(window_);
    *blocking_ = false;
  }
  SessionEndBlock(const SessionEndBlock&) = delete;
  SessionEndBlock& operator=(const SessionEndBlock&) = delete;

 private:
  HWND window_;
  bool* blocking_;
};

}  // namespace trv::ui
