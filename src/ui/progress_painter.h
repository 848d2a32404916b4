// A progress bar that may be moved thousands of times a second but is painted no more often than
// a screen shows frames: its position is always current for anyone who reads it, while the
// painting, which costs far more than the move, is held back until a frame has passed.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/clock.h"

namespace trv::ui {

// The painter sits in the bar's own message handling: PBM_SETPOS, from anyone, sets the position
// that PBM_GETPOS answers at once, but reaches the control, which repaints on every move, only
// when the move is to be shown.
class ProgressPainter {
 public:
  // About 60 paints a second.
  static constexpr std::uint64_t kFrameIntervalUs = 1000000 / 60;

  explicit ProgressPainter(Clock& clock) : clock_(clock) {}
  ~ProgressPainter();
  ProgressPainter(const ProgressPainter&) = delete;
  ProgressPainter& operator=(const ProgressPainter&) = delete;

  // Takes over the position of `bar`, a progress bar control, for as long as the bar exists.
  bool Attach(HWND bar);

  void SetRange(std::uint32_t minimum, std::uint32_t maximum);
  // Sets the position at once. It is shown at once when it is at either end of the range or a
  // frame has passed since the last one was shown; otherwise at the first PaintIfDue after that.
  void SetPosition(std::uint32_t position);
  // Shows a position not shown yet, once a frame has passed since the last one was.
  void PaintIfDue();
  // Shows a position not shown yet, now: before the operator's attention goes elsewhere.
  void PaintNow();

  // What the operator sees: the position the bar last painted, and how often it painted.
  std::uint32_t painted_position() const { return painted_position_; }
  std::uint32_t paint_count() const { return paint_count_; }

 private:
  static LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                  DWORD_PTR painter);
  LRESULT Move(int position);
  void Show();
  LRESULT Paint(UINT message, WPARAM wparam, LPARAM lparam);
  bool FrameDue();
  void Detach();

  Clock& clock_;
  HWND bar_ = nullptr;
  // The control's own range until told otherwise.
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  // Set from a move until the control has been given it.
  bool stale_ = false;
  bool shown_once_ = false;
  std::uint64_t shown_at_us_ = 0;
  std::uint32_t painted_position_ = 0;
  std::uint32_t paint_count_ = 0;
};

}  // namespace trv::ui
