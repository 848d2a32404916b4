#include "ui/focus_keeper.h"

namespace trv::ui {

void FocusKeeper::Save() {
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window_, focus)) {
    saved_ = focus;
  }
}

void FocusKeeper::Restore() {
  HWND target = saved_;
  if (target == nullptr || !IsWindow(target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(window_, nullptr, FALSE);
  }
  if (target != nullptr) {
    SetFocus(target);
  }
}

void FocusKeeper::RestoreIfLost() {
  if (GetActiveWindow() == window_ && !IsChild(window_, GetFocus())) {
    Restore();
  }
}

}  // namespace trv::ui
