// The "working in background" cursor over the window while a programming run goes. For up to 6 s
// of handshake the window shows nothing but greyed controls, and the cursor tells the operator it
// is working; the window stays responsive, so it is not the hourglass.
#pragma once

#include <windows.h>

namespace trv::ui {

class BusyCursor {
 public:
  // Over `window` and its controls, from now until this ends, whichever way it ends. While a
  // message box waits for the operator the window is disabled under it, and has the arrow.
  explicit BusyCursor(HWND window);
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR);

  HWND window_;
};

}  // namespace trv::ui
