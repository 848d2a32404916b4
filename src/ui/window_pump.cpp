#include "ui/window_pump.h"

namespace trv::ui {

static_assert(kContextMenuMessage == WM_CONTEXTMENU && kNcLeftButtonDown == WM_NCLBUTTONDOWN &&
              kNcLeftButtonDoubleClick == WM_NCLBUTTONDBLCLK &&
              kNcRightButtonDown == WM_NCRBUTTONDOWN && kNcRightButtonUp == WM_NCRBUTTONUP &&
              kSysKeyDown == WM_SYSKEYDOWN && kSysKeyUp == WM_SYSKEYUP && kSysChar == WM_SYSCHAR &&
              kSysCommand == WM_SYSCOMMAND);

PumpReport WindowPump::Pump(HWND window) {
  const Start start{GetTickCount(), clock_.NowUs(), holds_.held_us()};
  // One look at whether anything waits, so that a pump with nothing to do costs one call into the
  // system. It is a peek, for the system counts a window whose thread has not peeked at its
  // messages for 5 s as not responding, and greys it.
  MSG first;
  const UINT waiting =
      PeekMessageW(&first, nullptr, 0, 0, PM_NOREMOVE) ? HIWORD(GetQueueStatus(QS_ALLINPUT)) : 0;
  constexpr UINT kPostedOrSent = QS_POSTMESSAGE | QS_TIMER | QS_HOTKEY | QS_SENDMESSAGE;
  // Another program's request to close goes before the messages that came before it: behind a
  // flood of them it would wait for many polls.
  MSG close;
  if ((waiting & QS_POSTMESSAGE) != 0 &&
      PeekMessageW(&close, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    Handle(window, close);
  }
  if (((waiting & QS_INPUT) == 0 || HandlePending(window, PM_QS_INPUT, start)) &&
      (waiting & kPostedOrSent) != 0) {
    HandlePending(window, PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE, start);
  }
  // Painting comes last, once per pump at most, when the pacer lets it.
  if (!nesting_.Stopped() && pacer_.Due(clock_.NowUs()) &&
      (painter_.stale() || (waiting & QS_PAINT) != 0)) {
    Paint(window);
  }
  nesting_.FinishIfIdle();
  return PumpReport{!nesting_.Stopped(), holds_.held_us() - start.held_us};
}

bool WindowPump::HandlePending(HWND window, UINT filter, const Start& start) {
  MSG message;
  while (!nesting_.Stopped() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | filter)) {
    Handle(window, message);
    // Once the operator lets go, the wait polls the adapter at once for what came in meanwhile.
    if (holds_.held_us() != start.held_us || clock_.NowUs() - start.us >= kHandlingBudgetUs) {
      return false;
    }
    // A message that came after the pump began is the last of its kind this pump handles.
    if (static_cast<LONG>(message.time - start.tick) > 0) {
      break;
    }
  }
  return !nesting_.Stopped();
}

void WindowPump::Handle(HWND window, MSG& message) {
  // A request to quit, which any peek may find, is kept until the handler has unwound.
  if (message.message == WM_QUIT) {
    nesting_.HoldQuit(static_cast<int>(message.wParam));
  } else if (!IsDialogMessageW(window, &message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void WindowPump::Paint(HWND window) {
  const std::uint64_t start_us = clock_.NowUs();
  painter_.Hand();
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  pacer_.Painted(start_us, clock_.NowUs());
}

}  // namespace trv::ui
