// An enumeration that answers "not ready" for ever: the program gives up on the real clock and
// hands the window back, with nothing shown and nothing listed.
#include <cstdio>

#include "checks.h"
#include "programmer.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

TEST(ListNeverReady, WindowComesBackWithNoBoxAndAnEmptyList) {
  // No driver log: the enumeration is asked again and again for seconds, and no check here
  // reads the calls.
  Programmer app = StartProgrammer("list_never_ready",
                                   {{L"QBSIM_FAULTS", L"list_busy=forever"}, {L"QBSIM_LOG", L""}});
  const DWORD start = GetTickCount();
  PostMessageW(app->controls().ComboBox1, CB_SHOWDROPDOWN, TRUE, 0);
  // The list drops only once the drop-down handler has returned.
  const bool answered = WaitUntil(kEndlessListTimeoutMs, [&] {
    return app->DeviceListDropped() || !app->OpenMessageBoxes().empty();
  });
  EXPECT_TRUE(answered) << "the window froze in an endless enumeration";
  std::printf("(the drop-down handler gave up after %.1f s)\n", (GetTickCount() - start) / 1000.0);
  ExpectBoxes(app->CollectMessageBoxes(kNoMoreBoxesMs, kInputCheckTimeoutMs, Screenshot()), {});
  EXPECT_TRUE(app->DeviceItems().empty()) << "the list is not empty";
  SaveScreenAsBmp(Screenshot());
  EXPECT_TRUE(app->CloseWindow(kCloseTimeoutMs)) << "the programmer did not end after WM_CLOSE";
}

}  // namespace

}  // namespace e2e
