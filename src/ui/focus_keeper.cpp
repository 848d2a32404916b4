#include "ui/focus_keeper.h"

namespace trv::ui {

void FocusKeeper::Save() {
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(form_.Form1, focus)) {
    saved_ = focus;
  }
}

void FocusKeeper::Restore() {
  HWND target = saved_;
  if (target == nullptr || !IsWindow(target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(form_.Form1, nullptr, FALSE);
  }
  if (target != nullptr) {
    SetFocus(target);
  }
}

void FocusKeeper::RestoreIfLost() {
  if (GetActiveWindow() == form_.Form1 && !IsChild(form_.Form1, GetFocus())) {
    Restore();
  }
}

}  // namespace trv::ui
