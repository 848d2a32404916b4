// A progress bar that may be moved thousands of times a second but is painted only when its
// window's pump paints: its position is always current for anyone who reads it, while the
// painting, which costs far more than the move, waits for the window's next frame (window_pump.h).
#pragma once

#include <windows.h>

#include <cstdint>

namespace trv::ui {

// The painter sits in the bar's own message handling: PBM_SETPOS, from anyone, sets the position
// that PBM_GETPOS answers at once, but reaches the control, which repaints on every move, only
// when the move is to be shown.
class ProgressPainter {
 public:
  ProgressPainter() = default;
  ~ProgressPainter();
  ProgressPainter(const ProgressPainter&) = delete;
  ProgressPainter& operator=(const ProgressPainter&) = delete;

  // Takes over the position of `bar`, a progress bar control, for as long as the bar exists.
  bool Attach(HWND bar);

  void SetRange(std::uint32_t minimum, std::uint32_t maximum);
  // Sets the position at once. It is painted at once when it is at either end of the range, and
  // otherwise with the window's next frame.
  void SetPosition(std::uint32_t position);
  // True while the position has moved since the control was last given it.
  bool stale() const { return stale_; }
  // Gives the control a position not given yet, to be painted with the window's next frame.
  void Hand();
  // Paints a position not painted yet, now: before the operator's attention goes elsewhere.
  void PaintNow();

  // What the operator sees: the position the bar last painted, and how often it painted.
  std::uint32_t painted_position() const { return painted_position_; }
  std::uint32_t paint_count() const { return paint_count_; }

 private:
  static LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                  DWORD_PTR painter);
  LRESULT Move(int position);
  LRESULT Paint(UINT message, WPARAM wparam, LPARAM lparam);
  void Detach();

  HWND bar_ = nullptr;
  // The control's own range until told otherwise.
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  // Set from a move until the control has been given it.
  bool stale_ = false;
  std::uint32_t painted_position_ = 0;
  std::uint32_t paint_count_ = 0;
};

}  // namespace trv::ui
