#include "ui/screen_density.h"

#include "ui/gdi_guards.h"
#include "win32/entry_points.h"

namespace trv::ui {
namespace {

constexpr int kFontPoints = 8;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";

}  // namespace

RECT PrimaryScreen() {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcMonitor;
}

RECT PrimaryScreenCorner(SIZE size) {
  const RECT screen = PrimaryScreen();
  return RECT{screen.left, screen.top, screen.left + size.cx, screen.top + size.cy};
}

void CentreOnPrimaryScreen(HWND window, SIZE size) {
  const RECT screen = PrimaryScreen();
  SetWindowPos(window, nullptr, screen.left + (screen.right - screen.left - size.cx) / 2,
               screen.top + (screen.bottom - screen.top - size.cy) / 2, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT WindowDpi(HWND window) {
  // Present from Windows 10 on; older systems report one density for the whole screen.
  static const auto get_dpi_for_window =
      win32::OptionalEntry<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  if (get_dpi_for_window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) {
      return dpi;
    }
  }
  const WindowDc dc(window);
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

HFONT CreateWindowFont(UINT dpi) {
  return CreateFontW(-MulDiv(kFontPoints, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE,
                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
}

}  // namespace trv::ui
