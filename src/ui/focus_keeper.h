// The control that had the focus, kept while the window is inactive or its controls are disabled,
// and given back after.
#pragma once

#include <windows.h>

namespace trv::ui {

class FocusKeeper {
 public:
  // `window` is the window's handle as it stands, null before it exists and once it is gone.
  explicit FocusKeeper(const HWND& window) : window_(window) {}
  FocusKeeper(const FocusKeeper&) = delete;
  FocusKeeper& operator=(const FocusKeeper&) = delete;

  // Remembers the window's control that has the focus, if one has it.
  void Save();
  // Gives the focus back to the control that had it, or to the first one that can take it.
  void Restore();
  // The controls have been enabled again. Disabling them left the focus nowhere, or, if a box
  // closed while they were off, on the window itself: the system gives it to a window it
  // activates when no control can take it.
  void RestoreIfLost();
  void Forget() { saved_ = nullptr; }

 private:
  const HWND& window_;
  HWND saved_ = nullptr;
};

}  // namespace trv::ui
