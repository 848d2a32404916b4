// While an adapter is open the session is asked not to end: ending it then could leave the chip
// half-written. Windows shows the reason to the user who logs off or shuts down.
#pragma once

#include <windows.h>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {

class SessionEndBlock {
 public:
  // Gives `window`'s reason while `adapter_open`, and takes it back once the adapter is closed.
  void Follow(HWND window, bool adapter_open) {
    if (adapter_open && window_ == nullptr && window != nullptr) {
      ShutdownBlockReasonCreate(window, win32::WideFromUtf8(texts::kSessionEndBlockReason).c_str());
      window_ = window;
    } else if (!adapter_open && window_ != nullptr) {
      ShutdownBlockReasonDestroy(window_);
      window_ = nullptr;
    }
  }
  // The window is gone, and its reason with it.
  void Forget() { window_ = nullptr; }

 private:
  HWND window_ = nullptr;  // the window whose reason is given, while it is
};

}  // namespace trv::ui
