// The program on a busy desktop, where another program keeps the window's thread busy: a message
// hook that makes every message the thread retrieves come 60 ms late, messages that announce moves
// of the window that never happen, or a flood of requests to repaint the window. A chip that never
// answers must still be given up on after the handshake's two 3-second windows, on time.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/win_helpers.h"
#include "time_limits.h"
#include "win32/entry_points.h"

namespace e2e {
using namespace trv::remote;

namespace {

constexpr DWORD kHandshakeMs = 2 * trv::kReplyTimeoutSeconds * 1000;

// Another program acting on the window every millisecond, on a thread of its own, for as long as
// this lives.
class EveryMillisecond {
 public:
  explicit EveryMillisecond(std::function<void()> act)
      : thread_([this, act] {
          while (!stop_) {
            act();
            Sleep(1);
          }
        }) {}
  ~EveryMillisecond() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A message hook on the window's thread that makes each message it retrieves come 60 ms late
// (slow_retrieval_hook.cpp, which Windows loads into the programmer).
class SlowRetrievalHook {
 public:
  explicit SlowRetrievalHook(HWND window)
      : library_(LoadLibraryW(FullPath(Widen(TRV_SLOW_RETRIEVAL_HOOK)).c_str())) {
    const auto procedure = trv::win32::ExportedEntry<HOOKPROC>(library_, "SlowRetrieval");
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, procedure, library_,
                              GetWindowThreadProcessId(window, nullptr));
    if (hook_ == nullptr) {
      throw std::runtime_error("the message hook could not be set");
    }
  }
  ~SlowRetrievalHook() {
    UnhookWindowsHookEx(hook_);
    FreeLibrary(library_);
  }

 private:
  HMODULE library_;
  HHOOK hook_ = nullptr;
};

class BusyDesktop : public SharedProgrammer<BusyDesktop> {
 protected:
  static void SetUpTestSuite() {
    // No driver log: the handshake's probes would write megabytes that nothing here reads.
    app = StartProgrammer("busy_desktop", {{L"QBSIM_LOG", L""}, {L"QBSIM_FAULTS", L"silent_chip"}});
  }

  // Presses "Program" with `busy` done to the window every millisecond meanwhile: the message must
  // come after the handshake's 6 s and within `late_ms` more.
  void GivesUpOnTime(const std::function<void(HWND)>& busy, bool slow_retrieval, DWORD late_ms) {
    app.ChooseAdapterAndImage(41);
    const HWND window = app->window();
    HWND box = nullptr;
    const DWORD start = GetTickCount();
    {
      const auto hook = slow_retrieval ? std::make_unique<SlowRetrievalHook>(window) : nullptr;
      const EveryMillisecond load([&] { busy(window); });
      PostMessageW(app->controls().ProgramButton, BM_CLICK, 0, 0);
      box = app->WaitForMessageBox(kQuickRunTimeoutMs);
    }
    const DWORD elapsed_ms = GetTickCount() - start;
    std::printf("  the message came %.2f s after the click\n", elapsed_ms / 1000.0);
    EXPECT_NE(nullptr, box) << "no message within " << kQuickRunTimeoutMs << " ms";
    if (box != nullptr) {
      EXPECT_EQ(std::wstring(kSyncFailed), app->ReadMessageBox(box).text);
      app->DismissMessageBox(box);
    }
    EXPECT_GE(elapsed_ms, kHandshakeMs);
    EXPECT_LT(elapsed_ms, kHandshakeMs + late_ms);
  }
};

// A message posted every millisecond, as a moving mouse would, so that every pump meets the hook.
TEST_F(BusyDesktop, SilentChipUnderASlowMessageHook_GivenUpOnAfterSixSeconds) {
  GivesUpOnTime([](HWND window) { PostMessageW(window, WM_NULL, 0, 0); }, true, 1000);
}

// Another program announces moves of the window that never happen: an enter, about a second later
// the exit, over and over. No modal loop runs, so no time is held.
TEST_F(BusyDesktop, SilentChipUnderStrayMoveMessages_GivenUpOnAfterSixSeconds) {
  int sent = 0;
  GivesUpOnTime(
      [&](HWND window) {
        if (++sent % 500 == 0) {
          SendMessageW(window, sent % 1000 == 0 ? WM_EXITSIZEMOVE : WM_ENTERSIZEMOVE, 0, 0);
        }
      },
      false, 1000);
}

TEST_F(BusyDesktop, SilentChipUnderARepaintFlood_GivenUpOnBeforeNineSeconds) {
  GivesUpOnTime(
      [](HWND window) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
      },
      false, 3000);
}

}  // namespace

}  // namespace e2e
