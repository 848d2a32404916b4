// The check's window's size and the places of its controls, scaled to the screen's density, and
// its font: the programmer's.
#pragma once

#include <windows.h>

#include "check_ui/check_controls.h"
#include "ui/gdi_guards.h"

namespace trv::check_ui {

class CheckLayout {
 public:
  explicit CheckLayout(const CheckControls& controls) : controls_(controls) {}
  CheckLayout(const CheckLayout&) = delete;
  CheckLayout& operator=(const CheckLayout&) = delete;

  // Where the window is created, before it knows its density: the primary screen's corner.
  static RECT CreationBounds();
  // Sizes the window for its density and centres it on the primary screen.
  void FitToPrimaryScreen();
  // Takes the new controls: gives them the font and places them at the window's density.
  void Attach();
  // The window's messages about its size and its density; true, with `*result`, for those handled
  // here.
  bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);

 private:
  // The window's outer size for its fixed client area at the density.
  SIZE OuterSize() const;
  void ApplyDpi(UINT dpi);
  int Scale(int pixels_at_96_dpi) const;

  const CheckControls& controls_;
  ui::OwnedFont font_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
};

}  // namespace trv::check_ui
