// The program on a busy desktop, where another program keeps its window's thread busy: a hook that
// makes every message the thread retrieves come 60 ms late, and a flood of requests to repaint
// the window. A chip that never answers must still be given up on after the handshake's two
// 3-second windows, on time. And an operator who closes the window right after pressing OK on the
// final message still gets the chip back in normal operation.
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "desktop_load.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/win_helpers.h"
#include "time_limits.h"

namespace e2e {

namespace {

constexpr DWORD kHandshakeMs = 2 * trv::kReplyTimeoutSeconds * 1000;

// Presses "Program" against a chip that never answers while `load` busies the window, and returns
// how long the run took to show its message; the message must be the handshake's.
template <typename Load, typename... Arguments>
DWORD TimeToGiveUp(const Programmer& app, Arguments&&... arguments) {
  app.ChooseAdapterAndImage(41);
  HWND box = nullptr;
  DWORD elapsed_ms = 0;
  {
    const Load load(app->window(), std::forward<Arguments>(arguments)...);
    const DWORD start = GetTickCount();
    PostMessageW(app->controls().ProgramButton, BM_CLICK, 0, 0);
    box = app->WaitForMessageBox(kQuickRunTimeoutMs);
    elapsed_ms = GetTickCount() - start;
  }
  std::printf("  the message came %.2f s after the click\n", elapsed_ms / 1000.0);
  EXPECT_NE(nullptr, box) << "no message within " << kQuickRunTimeoutMs << " ms";
  if (box != nullptr) {
    EXPECT_EQ(std::wstring(kSyncFailed), app->ReadMessageBox(box).text);
    app->DismissMessageBox(box);
  }
  return elapsed_ms;
}

class BusyDesktop : public SharedProgrammer<BusyDesktop> {
 protected:
  static void SetUpTestSuite() {
    // No driver log: the handshake's probes would write megabytes that nothing here reads.
    app = StartProgrammer("busy_desktop", {{L"QBSIM_LOG", L""}, {L"QBSIM_FAULTS", L"silent_chip"}});
  }
};

TEST_F(BusyDesktop, SilentChipUnderASlowMessageHook_GivenUpOnAfterSixSeconds) {
  const DWORD elapsed_ms =
      TimeToGiveUp<SlowRetrieval>(app, FullPath(Widen(TRV_SLOW_RETRIEVAL_HOOK)));
  EXPECT_GE(elapsed_ms, kHandshakeMs);
  EXPECT_LT(elapsed_ms, kHandshakeMs + 1000);
}

TEST_F(BusyDesktop, SilentChipUnderARepaintFlood_GivenUpOnBeforeNineSeconds) {
  const DWORD elapsed_ms = TimeToGiveUp<RepaintFlood>(app);
  EXPECT_GE(elapsed_ms, kHandshakeMs);
  EXPECT_LT(elapsed_ms, kHandshakeMs + 3000);
}

}  // namespace

}  // namespace e2e
