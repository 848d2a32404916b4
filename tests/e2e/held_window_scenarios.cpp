// A run during which the operator holds the window: moves it with the keyboard in the programming
// pass and leaves its system menu open in the verification pass. Each time Windows runs a modal
// loop inside the programmer's message pump, so the run stands still until the loop ends; it must
// then go on and complete.
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

// Progress at which each hold begins, well into its pass.
constexpr DWORD kHoldAtProgress = 16384;

struct Hold {
  const char* what;
  WPARAM command;   // the WM_SYSCOMMAND that starts the modal loop
  LPARAM argument;  // its lParam
  DWORD loop_flag;  // how GetGUIThreadInfo shows the loop
  WPARAM end_key;   // the key that ends it
  int presses;      // how often
};

// A move with the keyboard (Alt+Space, M): it ends when Enter is pressed.
constexpr Hold kKeyboardMove = {"the keyboard move", SC_MOVE, 0, GUI_INMOVESIZE, VK_RETURN, 1};
// The system menu opened from the keyboard (Alt+Space): Escape closes the menu, and a second
// Escape leaves the menu mode that Alt+Space began.
constexpr Hold kSystemMenu = {"the system menu", SC_KEYMENU, L' ', GUI_INMENUMODE, VK_ESCAPE, 2};

bool InLoop(HWND window, DWORD loop_flag) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         (info.flags & loop_flag) != 0;
}

// Starts the modal loop, holds it for kHoldMs while checking that the run stands still, then
// ends it with its key.
void HoldWindow(const ProgrammerProcess& app, const Hold& hold) {
  const HWND window = app.window();
  const HWND progress = app.controls().ProgressBar1;
  PostMessageW(window, WM_SYSCOMMAND, hold.command, hold.argument);
  ASSERT_TRUE(WaitUntil(kMessageTimeoutMs, [&] { return InLoop(window, hold.loop_flag); }))
      << hold.what << " did not begin";
  const LRESULT held_at = SendBounded(progress, PBM_GETPOS, 0, 0);
  Sleep(kHoldMs);
  EXPECT_TRUE(InLoop(window, hold.loop_flag)) << hold.what << " ended by itself";
  EXPECT_EQ(held_at, SendBounded(progress, PBM_GETPOS, 0, 0))
      << hold.what << ": the run went on while the window was held";
  // The loop takes the key from the thread's queue, as it would from the keyboard.
  for (int press = 0; press < hold.presses; ++press) {
    PostMessageW(window, WM_KEYDOWN, hold.end_key, 0);
  }
  EXPECT_TRUE(WaitUntil(kMessageTimeoutMs, [&] { return !InLoop(window, hold.loop_flag); }))
      << hold.what << " did not end on its key";
}

TEST(HeldWindow, RunStandsStillWhileHeldAndThenCompletes) {
  Programmer app = StartProgrammer("held_window", {{L"QBSIM_LOG", L""}});
  const std::vector<unsigned char> image = app.ChooseAdapterAndImage(29);
  const HWND progress = app->controls().ProgressBar1;
  const Hold* next = &kKeyboardMove;
  const wchar_t* pass = kProgrammingHeading;
  const RunObservation run = app->PressProgram(
      kFullRunTimeoutMs + 2 * kHoldMs, Screenshot(), [&](const RunObservation& seen) {
        if (next == nullptr || seen.label2_captions.back() != pass ||
            SendBounded(progress, PBM_GETPOS, 0, 0, 0) < LRESULT(kHoldAtProgress)) {
          return;
        }
        HoldWindow(*app, *next);
        next = next == &kKeyboardMove ? &kSystemMenu : nullptr;
        pass = kVerifyingHeading;
      });
  EXPECT_EQ(nullptr, next) << "the run did not reach both holds";
  ExpectProgrammed(app, run, image);
}

}  // namespace

}  // namespace e2e
