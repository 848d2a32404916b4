#include "ui/progress_painter.h"

#include <commctrl.h>

#include <algorithm>

namespace trv::ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

ProgressPainter::~ProgressPainter() {
  Detach();
}

bool ProgressPainter::Attach(HWND bar) {
  Detach();
  if (!SetWindowSubclass(bar, &ProgressPainter::BarProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  bar_ = bar;
  position_ = static_cast<int>(DefSubclassProc(bar_, PBM_GETPOS, 0, 0));
  return true;
}

void ProgressPainter::Detach() {
  if (bar_ != nullptr) {
    RemoveWindowSubclass(bar_, &ProgressPainter::BarProc, kSubclassId);
    bar_ = nullptr;
  }
}

void ProgressPainter::SetRange(std::uint32_t minimum, std::uint32_t maximum) {
  SendMessageW(bar_, PBM_SETRANGE32, minimum, maximum);
}

void ProgressPainter::SetPosition(std::uint32_t position) {
  SendMessageW(bar_, PBM_SETPOS, position, 0);
}

void ProgressPainter::Hand() {
  if (stale_) {
    stale_ = false;
    // The control invalidates itself and is painted with the window's next paint.
    DefSubclassProc(bar_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
  }
}

void ProgressPainter::PaintNow() {
  Hand();
  UpdateWindow(bar_);
}

LRESULT ProgressPainter::Move(int position) {
  const int previous = position_;
  position_ = std::clamp(position, minimum_, std::max(minimum_, maximum_));
  stale_ = stale_ || position_ != previous;
  // The start and the end of a pass are always shown as they happen.
  if (position_ == minimum_ || position_ == maximum_) {
    PaintNow();
  }
  return previous;
}

LRESULT ProgressPainter::Paint(UINT message, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = DefSubclassProc(bar_, message, wparam, lparam);
  painted_position_ = static_cast<std::uint32_t>(DefSubclassProc(bar_, PBM_GETPOS, 0, 0));
  ++paint_count_;
  return result;
}

LRESULT CALLBACK ProgressPainter::BarProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam,
                                          UINT_PTR, DWORD_PTR painter) {
  auto* self = reinterpret_cast<ProgressPainter*>(painter);
  switch (message) {
    case PBM_SETPOS:
      return self->Move(static_cast<int>(wparam));
    case PBM_GETPOS:
      return self->position_;
    case PBM_SETRANGE32:
    case PBM_SETRANGE: {
      const bool wide = message == PBM_SETRANGE32;
      self->minimum_ = wide ? static_cast<int>(wparam) : LOWORD(lparam);
      self->maximum_ = wide ? static_cast<int>(lparam) : HIWORD(lparam);
      // The control keeps its position within the new range; so does the painter.
      const LRESULT result = DefSubclassProc(bar, message, wparam, lparam);
      self->position_ =
          std::clamp(self->position_, self->minimum_, std::max(self->minimum_, self->maximum_));
      return result;
    }
    case WM_PAINT:
      return self->Paint(message, wparam, lparam);
    case WM_NCDESTROY:
      self->Detach();
      break;
  }
  return DefSubclassProc(bar, message, wparam, lparam);
}

}  // namespace trv::ui
