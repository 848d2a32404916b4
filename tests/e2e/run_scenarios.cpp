// A run cut short from outside: the window closed in the middle of the programming pass. The
// process must end soon, without a message; how the run lets go of the adapter, and a close right
// after OK on the final message, are the window tests' to show.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// Progress at which the run is cut short: well into the programming pass.
constexpr DWORD kCutAtProgress = 8192;

// Starts a run of a fresh image and returns once the programming pass has passed kCutAtProgress.
void StartRunAndWaitMidPass(const Programmer& app) {
  app.ChooseAdapterAndImage(13);
  const trv::ui::FormControls& c = app->controls();
  PostMessageW(c.ProgramButton, BM_CLICK, 0, 0);
  const bool mid_run = WaitUntil(kMidRunTimeoutMs, [&] {
    return !app->OpenMessageBoxes().empty() ||
           (IsWindowVisible(c.ProgressBar1) &&
            SendBounded(c.ProgressBar1, PBM_GETPOS, 0, 0, 0) >= LRESULT(kCutAtProgress));
  });
  EXPECT_TRUE(mid_run && app->OpenMessageBoxes().empty())
      << "the programming pass did not get going";
  SaveScreenAsBmp(Screenshot());
}

TEST(CloseDuringRun, ProgrammerEndsSoonWithoutABox) {
  // No driver log: nothing here reads it.
  Programmer app = StartProgrammer("close_during_run", {{L"QBSIM_LOG", L""}});
  StartRunAndWaitMidPass(app);
  PostMessageW(app->window(), WM_CLOSE, 0, 0);
  std::vector<MessageBoxSeen> late;
  WaitUntil(kCloseTimeoutMs, [&] {
    for (HWND box : app->OpenMessageBoxes()) {
      late.push_back(app->ReadMessageBox(box));
      app->DismissMessageBox(box);
    }
    return !app->Running();
  });
  EXPECT_FALSE(app->Running()) << "the programmer did not end within 5 s of closing its window";
  ExpectBoxes(late, {});
}

}  // namespace

}  // namespace e2e
