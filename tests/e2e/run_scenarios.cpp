// Runs cut short from outside. The window closed in the middle of the programming pass: the
// process must end soon, without a message; how the run lets go of the adapter is the window
// tests' to show. The window closed right after OK on the final message: the chip is restarted
// into normal operation before the adapter is closed, as the guide promises.
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

// OK and Alt+F4 back to back: both wait in the window's queue when the box has gone.
TEST(CloseDuringRun, RightAfterTheFinalOk_ChipIsRestartedFirst) {
  Programmer app = StartProgrammer("close_after_ok", {});
  app.ChooseAdapterAndImage(17);
  PostMessageW(app->controls().ProgramButton, BM_CLICK, 0, 0);
  const HWND box = app->WaitForMessageBox(kFullRunTimeoutMs);
  ASSERT_NE(nullptr, box) << "the run showed no message";
  EXPECT_EQ(std::wstring(kProgrammed), app->ReadMessageBox(box).text);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  PostMessageW(app->window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(app->WaitForExit(kCloseTimeoutMs)) << "the programmer did not end after its close";

  // After the last block read back, in this order: the loader back at 115,200 baud, the chip
  // restarted into normal operation, and the one close, the last call.
  const std::vector<std::string> log = app.Log();
  size_t previous = 0;
  for (const char* line :
       {"chip read-address 0xff80", "chip baud 115200", "QB_SetBitMode 0x1 0xc4 0x20",
        "QB_SetBitMode 0x1 0xcc 0x20", "QB_Close"}) {
    const size_t at = LastLine(log, line);
    EXPECT_TRUE(at != std::string::npos && at >= previous) << "\"" << line << "\" missing or early";
    previous = at == std::string::npos ? previous : at;
  }
  EXPECT_EQ(1u, CountLines(log, "QB_Close"));
  EXPECT_EQ(LastLine(log, "QB_"), LastLine(log, "QB_Close"));
}

}  // namespace

}  // namespace e2e
