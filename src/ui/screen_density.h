// What the programs' windows need to take the screen's density: where the primary screen is, the
// density a window is shown at, their font at that density, and their sizes scaled to it. Sizes
// are given at 96 dots per inch.
#pragma once

#include <windows.h>

namespace trv::ui {

// A place and size in pixels at 96 dots per inch, as the layouts give their controls'.
struct Bounds {
  int left;
  int top;
  int width;
  int height;
};

RECT PrimaryScreen();
// Where a window of `size` is created before it knows its density: the primary screen's corner.
RECT PrimaryScreenCorner(SIZE size);
// Moves `window`, resized to `size`, to the middle of the primary screen.
void CentreOnPrimaryScreen(HWND window, SIZE size);
// The density `window` is shown at: its screen's where the system tells each screen's (Windows 10
// on), else the one density of the whole screen.
UINT WindowDpi(HWND window);
// "MS Sans Serif", 8 points, at `dpi`; the caller owns it.
HFONT CreateWindowFont(UINT dpi);
inline int ScaleToDpi(int pixels_at_96_dpi, UINT dpi) {
  return MulDiv(pixels_at_96_dpi, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

}  // namespace trv::ui
