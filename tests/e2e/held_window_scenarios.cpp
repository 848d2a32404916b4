// A run during which the operator holds the window: moves it with the keyboard in the programming
// pass, and holds its close button down in the verification pass. Each time Windows runs a modal
// loop inside the programmer's message pump, so the run stands still until the loop ends; it must
// then go on and complete. (A menu's loop begins as the move's does, with a system command.)
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <iterator>
#include <utility>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/win_helpers.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// Progress at which each hold begins, well into its pass.
constexpr DWORD kHoldAtProgress = 16384;

// A modal loop in which the operator holds the window: how it begins, how GetGUIThreadInfo shows
// it running, and how it ends.
struct Hold {
  const char* what;
  void (*begin)(HWND window);
  bool (*running)(HWND window, const GUITHREADINFO& info);
  void (*end)(HWND window);
};

// A move with the keyboard (Alt+Space, M): it ends when Enter is pressed.
constexpr Hold kKeyboardMove = {
    "the keyboard move", [](HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_MOVE, 0); },
    [](HWND, const GUITHREADINFO& info) { return (info.flags & GUI_INMOVESIZE) != 0; },
    // The loop takes the key from the thread's queue, as it would from the keyboard.
    [](HWND window) { PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0); }};
// The title bar's close button pressed with the mouse (real input) and held, by an operator who
// then thinks better of it and lets go beside the button: the button tracks the mouse, with no
// message that announces a hold, and nothing closes.
constexpr Hold kCloseButtonHeld = {
    "the close button held",
    [](HWND window) {
      RECT frame;
      GetWindowRect(window, &frame);
      const int x = frame.right - GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXSIZE) / 2;
      const int y = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
      SetCursorPos(x, y);
      mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    },
    [](HWND window, const GUITHREADINFO& info) { return info.hwndCapture == window; },
    [](HWND window) {
      RECT frame;
      GetWindowRect(window, &frame);
      SetCursorPos(frame.left + 40, frame.bottom - 20);
      mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }};

bool Running(HWND window, const Hold& hold) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         hold.running(window, info);
}

// Starts the modal loop, holds it for kHoldMs while checking that the run stands still, then
// ends it.
void HoldWindow(const ProgrammerProcess& app, const Hold& hold) {
  const HWND window = app.window();
  const HWND progress = app.controls().ProgressBar1;
  hold.begin(window);
  ASSERT_TRUE(WaitUntil(kMessageTimeoutMs, [&] { return Running(window, hold); }))
      << hold.what << " did not begin";
  const LRESULT held_at = SendBounded(progress, PBM_GETPOS, 0, 0);
  Sleep(kHoldMs);
  EXPECT_TRUE(Running(window, hold)) << hold.what << " ended by itself";
  EXPECT_EQ(held_at, SendBounded(progress, PBM_GETPOS, 0, 0))
      << hold.what << ": the run went on while the window was held";
  hold.end(window);
  EXPECT_TRUE(WaitUntil(kMessageTimeoutMs, [&] { return !Running(window, hold); }))
      << hold.what << " did not end";
}

TEST(HeldWindow, RunStandsStillWhileHeldAndThenCompletes) {
  Programmer app = StartProgrammer("held_window", {{L"QBSIM_LOG", L""}});
  const std::vector<unsigned char> image = app.ChooseAdapterAndImage(29);
  const HWND progress = app->controls().ProgressBar1;
  // Each hold in its pass, at kHoldAtProgress or later.
  const std::pair<const Hold*, const wchar_t*> holds[] = {{&kKeyboardMove, kProgrammingHeading},
                                                          {&kCloseButtonHeld, kVerifyingHeading}};
  std::size_t next = 0;
  const RunObservation run = app->PressProgram(
      kFullRunTimeoutMs + 2 * kHoldMs, Screenshot(), [&](const RunObservation& seen) {
        if (next == std::size(holds) || seen.label2_captions.back() != holds[next].second ||
            SendBounded(progress, PBM_GETPOS, 0, 0, 0) < LRESULT(kHoldAtProgress)) {
          return;
        }
        HoldWindow(*app, *holds[next++].first);
      });
  EXPECT_EQ(std::size(holds), next) << "the run did not reach every hold";
  ExpectProgrammed(app, run, image);
}

}  // namespace

}  // namespace e2e
