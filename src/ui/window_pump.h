// How a window hands its thread the messages that came in while a long operation polls the
// adapter: the waits of the loader, the passes and the run pump after every poll.
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/clock.h"
#include "loader/message_pump.h"
#include "ui/frame_pacer.h"
#include "ui/handler_nesting.h"
#include "ui/operator_holds.h"
#include "ui/progress_painter.h"

namespace trv::ui {

class WindowPump {
 public:
  // The most time one pump spends handling messages: where each message takes longer than the
  // next takes to come (another program's hook that holds up every message), the pump returns
  // after this, so that the wait polls the adapter and ends on time.
  static constexpr std::uint64_t kHandlingBudgetUs = 50'000;

  WindowPump(Clock& clock, HandlerNesting& nesting, OperatorHolds& holds, ProgressPainter& painter)
      : clock_(clock), nesting_(nesting), holds_(holds), painter_(painter) {}

  // Handles what was waiting when it began: a request to close `window` first, then input, then
  // posted and sent messages, each in the order they came, with `window`'s dialog keys. Then it
  // paints `window` once if a paint is pending and its pacer lets it, and returns. What comes in
  // meanwhile waits for the next pump, which follows after one poll: a flood of messages or
  // repaints costs each poll little, and a close is handled at the next poll. A modal loop the
  // operator holds the window in ends the pump as soon as the loop is over, and is reported.
  PumpReport Pump(HWND window);

 private:
  struct Start {
    DWORD tick;  // in the system's ticks, which a message's time is given in
    std::uint64_t us;
    std::uint64_t held_us;
  };
  // Handles the pending messages of the kinds `filter` names (PM_QS_*); false when the pump must
  // end now: a hold is over, the budget spent, or the window stopped.
  bool HandlePending(HWND window, UINT filter, const Start& start);
  void Handle(HWND window, MSG& message);
  bool PaintPending() const;
  void Paint(HWND window);

  Clock& clock_;
  HandlerNesting& nesting_;
  OperatorHolds& holds_;
  ProgressPainter& painter_;
  FramePacer pacer_;
};

}  // namespace trv::ui
