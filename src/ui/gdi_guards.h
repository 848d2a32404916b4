// Scoped owners of GDI resources: each gives back what it took when it goes out of scope, so no
// early return can leak a device context or leave a font selected.
#pragma once

#include <windows.h>

namespace trv::ui {

// A window's device context, from GetDC until ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
    }
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context; the one it replaced goes back in at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) {
      SelectObject(dc_, previous_);
    }
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Sole owner of a font; the font is deleted when it is replaced or its owner goes.
class OwnedFont {
 public:
  OwnedFont() = default;
  ~OwnedFont() { Reset(nullptr); }
  OwnedFont(const OwnedFont&) = delete;
  OwnedFont& operator=(const OwnedFont&) = delete;

  HFONT get() const { return font_; }
  // Takes `font` and deletes the one held before. Controls still drawing with the old font must
  // have been given the new one first.
  void Reset(HFONT font) {
    if (font_ != nullptr) {
      DeleteObject(font_);
    }
    font_ = font;
  }

 private:
  HFONT font_ = nullptr;
};

}  // namespace trv::ui
