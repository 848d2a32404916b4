// A run during which the operator holds the window: presses its close button with the mouse in the
// programming pass, holds it down, thinks better of it and lets go beside the button. The button
// runs a modal loop of its own inside the programmer's message pump, announced by no message, so
// the run stands still until the operator lets go; it must then go on and complete. (A move or a
// menu is held inside a system command's handling in the same way; the unit tests' table has them.)
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/win_helpers.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// Progress at which the hold begins, well into the pass.
constexpr DWORD kHoldAtProgress = 16384;

// The button's loop has the mouse captured for as long as it runs.
bool ButtonHeld(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         info.hwndCapture == window;
}

// Presses the close button with the mouse (real input), holds it for kHoldMs while checking that
// the run stands still, then lets go beside it.
void HoldCloseButton(const ProgrammerProcess& app) {
  const HWND window = app.window();
  const HWND progress = app.controls().ProgressBar1;
  RECT frame;
  GetWindowRect(window, &frame);
  SetCursorPos(frame.right - GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXSIZE) / 2,
               frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  ASSERT_TRUE(WaitUntil(kMessageTimeoutMs, [&] { return ButtonHeld(window); }))
      << "the close button did not take the mouse";
  const LRESULT held_at = SendBounded(progress, PBM_GETPOS, 0, 0);
  Sleep(kHoldMs);
  EXPECT_TRUE(ButtonHeld(window)) << "the button let go by itself";
  EXPECT_EQ(held_at, SendBounded(progress, PBM_GETPOS, 0, 0))
      << "the run went on while the window was held";
  SetCursorPos(frame.left + 40, frame.bottom - 20);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  EXPECT_TRUE(WaitUntil(kMessageTimeoutMs, [&] { return !ButtonHeld(window); }))
      << "the button did not let go";
}

TEST(HeldWindow, RunStandsStillWhileHeldAndThenCompletes) {
  Programmer app = StartProgrammer("held_window", {{L"QBSIM_LOG", L""}});
  const std::vector<unsigned char> image = app.ChooseAdapterAndImage(29);
  const HWND progress = app->controls().ProgressBar1;
  bool held = false;
  const RunObservation run =
      app->PressProgram(kFullRunTimeoutMs + kHoldMs, Screenshot(), [&](const RunObservation& seen) {
        if (!held && seen.label2_captions.back() == kProgrammingHeading &&
            SendBounded(progress, PBM_GETPOS, 0, 0, 0) >= LRESULT(kHoldAtProgress)) {
          held = true;
          HoldCloseButton(*app);
        }
      });
  EXPECT_TRUE(held) << "the run did not reach the hold";
  ExpectProgrammed(app, run, image);
}

}  // namespace

}  // namespace e2e
