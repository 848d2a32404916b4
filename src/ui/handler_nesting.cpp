#include "ui/handler_nesting.h"

#include <windows.h>

namespace trv::ui {

void HandlerNesting::Fail() {
  failed_ = true;
  FinishIfIdle();
}

void HandlerNesting::HoldQuit(int code) {
  quit_requested_ = true;
  quit_code_ = code;
}

void HandlerNesting::FinishIfIdle() noexcept {
  if (depth_ == 0) {
    Finish();
  }
}

void HandlerNesting::Finish() noexcept {
  while (failed_) {
    failed_ = false;
    // Counted as a handler, so a failure inside the report's own message loop waits for it.
    ++depth_;
    owner_.RecoverFromFailure();
    --depth_;
  }
  if (closed_) {
    owner_.DestroyClosedWindow();
  } else if (quit_requested_) {
    quit_requested_ = false;
    PostQuitMessage(quit_code_);
  }
}

}  // namespace trv::ui
