#include "ui/busy_cursor.h"

#include <commctrl.h>

namespace trv::ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// Has the window under the pointer choose its cursor again, as when the pointer moves, so that a
// change shows at once and not at the operator's next move.
void ChooseCursorAgain(HWND window) {
  POINT at;
  if (!GetCursorPos(&at)) {
    return;
  }
  const HWND under = WindowFromPoint(at);
  if (under != window && !IsChild(window, under)) {
    return;
  }
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

}  // namespace

BusyCursor::BusyCursor(HWND window) : window_(window) {
  SetWindowSubclass(window_, &WindowProc, kSubclassId, 0);
  ChooseCursorAgain(window_);
}

BusyCursor::~BusyCursor() {
  RemoveWindowSubclass(window_, &WindowProc, kSubclassId);
  ChooseCursorAgain(window_);
}

// The controls ask the window first for their cursor, and disabled ones leave it to the window.
// The title bar's buttons and the border keep theirs.
LRESULT CALLBACK BusyCursor::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR) {
  if (message == WM_SETCURSOR && IsWindowEnabled(window) &&
      (LOWORD(lparam) == HTCLIENT || LOWORD(lparam) == HTCAPTION)) {
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return TRUE;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &WindowProc, id);
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace trv::ui
