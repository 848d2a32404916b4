// The window when things go wrong around it: the session ends, or a handler fails in a way no
// result code reports; and what it asks of services that Wine only stubs.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "scratch_files.h"
#include "ui/main_window.h"
#include "win32/win32_text.h"

namespace {

using ui_test::FormFixture;

const std::wstring kDevice = trv::win32::WideFromUtf8(trv::sim::kDefaultAdapterDescription);
constexpr wchar_t kUnexpectedError[] = L"An unexpected error stopped the operation.";

std::wstring Id(HWND window) {
  return ui_test::RecordingServices::Id(window);
}

// A window on the stand-in's adapter whose replies take 20 us, so a run takes little real time,
// and a whole image to program.
struct RunFixture : FormFixture {
  RunFixture() : FormFixture(QuickReplies()) {}
  static trv::sim::SimConfig QuickReplies() {
    trv::sim::SimConfig config;
    config.latency_us = 20;
    return config;
  }
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"image.ROM", ui_test::RomImage());
};

using trv::test::ThrowAt;

// The cursor the window chooses as the pointer moves over its client area.
HCURSOR CursorOver(HWND window) {
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

}  // namespace

TEST(Form, SessionEnd_ClosesTheAdapterOnceItIsConfirmed) {
  FormFixture fixture;
  fixture.OpenAdapter();
  EXPECT_EQ(FALSE, SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
  SendMessageW(fixture.controls.Form1, WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(fixture.state->adapter.open);
  EXPECT_TRUE(fixture.form.PumpMessages().window_open);

  SendMessageW(fixture.controls.Form1, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.form.PumpMessages().window_open);
  EXPECT_TRUE(ui_test::DispatchUntilQuit().has_value());
  EXPECT_TRUE(fixture.watcher.boxes.empty());
}

// During a run the session may not end, and Windows is told why until the run is over. When it
// ends anyway while a pass waits for an acknowledgement, the adapter is closed there, and the run
// stops at its next pump without another call on it and without a message.
TEST(Form, SessionEndsDuringARun_RefusedThenRunStopsWithoutTheAdapter) {
  RunFixture fixture;
  const std::wstring reason = Id(fixture.controls.Form1) + L" Programming the TRV2K-3B flash.";
  int writes = 0;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_Write" && ++writes == 300) {
      EXPECT_EQ(FALSE, SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
      EXPECT_EQ(std::vector<std::wstring>{reason}, fixture.services.session_end);
      PostMessageW(fixture.controls.Form1, WM_ENDSESSION, TRUE, 0);
    }
  };
  fixture.Program(kDevice, fixture.path);
  EXPECT_EQ(300, writes);
  EXPECT_EQ((std::vector<std::wstring>{reason, Id(fixture.controls.Form1)}),
            fixture.services.session_end);
  EXPECT_EQ(1u, fixture.driver.CountCalls("QB_Close"));
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.driver.CalledOnClosedHandle());
  EXPECT_EQ("QB_Close", fixture.driver.calls().back().name);
  EXPECT_TRUE(fixture.watcher.boxes.empty());
  EXPECT_TRUE(ui_test::DispatchUntilQuit().has_value());
}

// Until the adapter has opened there is nothing to lose: a box about the inputs, or about an
// adapter that would not open, lets the session end, and no reason is given. No device chosen
// gives the first of those boxes, an adapter that would not open the last.
TEST(Form, SessionEndBeforeTheAdapterOpens_IsLetThroughWhileTheBoxIsUp) {
  for (const wchar_t* device : {L"", L"No such adapter"}) {
    SCOPED_TRACE(trv::win32::Utf8FromWide(device));
    RunFixture fixture;
    std::vector<LRESULT> answers;
    fixture.watcher.on_box = [&](const ui_test::SeenBox&) {
      answers.push_back(SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
    };
    fixture.Program(device, fixture.path);
    EXPECT_EQ(std::vector<LRESULT>{TRUE}, answers);
    EXPECT_TRUE(fixture.services.session_end.empty());
  }
}

// OK on the final box, then the window closed at once: the chip is still restarted into normal
// operation and the adapter closed once after it, with the window still there and nothing on it
// to press, and then the window goes.
TEST(Form, ClosedRightAfterTheFinalBox_ChipIsRestartedThenTheWindowGoes) {
  RunFixture fixture;
  ShowWindow(fixture.controls.Form1, SW_SHOWNOACTIVATE);
  fixture.watcher.on_box = [&](const ui_test::SeenBox& box) {
    SendMessageW(box.window, WM_COMMAND, IDOK, 0);
    PostMessageW(fixture.controls.Form1, WM_CLOSE, 0, 0);
  };
  bool shown_at_close = false;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_Close") {
      shown_at_close = IsWindowVisible(fixture.controls.Form1) && !fixture.InputsEnabled();
    }
  };
  fixture.Program(kDevice, fixture.path);
  EXPECT_TRUE(shown_at_close);
  ASSERT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"TRV2K-3B Flash reprogrammed and verified.", fixture.watcher.boxes[0].text);
  EXPECT_EQ(trv::sim::ChipMode::kRunning, fixture.driver.chip().mode());
  EXPECT_EQ(1u, fixture.driver.CountCalls("QB_Close"));
  EXPECT_EQ("QB_Close", fixture.driver.calls().back().name);
  EXPECT_TRUE(ui_test::DispatchUntilQuit().has_value());
  EXPECT_FALSE(IsWindow(fixture.controls.Form1));
}

// A driver call throws in the handshake, before the passes, where the run leaves the adapter to
// the window: the window closes it, looks as between runs, shows the one report, and the next run
// goes through. (Once the passes have begun the run restarts the chip and closes the adapter
// itself; the unit tests show that.)
TEST(Form, RunThrows_AdapterClosedAndWindowHandedBack) {
  RunFixture fixture;
  fixture.hooked.before_call = ThrowAt("QB_Write", 3);
  fixture.Program(kDevice, fixture.path);
  ASSERT_EQ(2u, fixture.services.session_end.size());
  EXPECT_EQ(Id(fixture.controls.Form1), fixture.services.session_end[1]);
  EXPECT_EQ(TRUE, SendMessageW(fixture.controls.Form1, WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_FALSE(fixture.driver.CalledOnClosedHandle());
  // The window as between runs.
  EXPECT_TRUE(fixture.InputsEnabled());
  EXPECT_FALSE(GetWindowLongW(fixture.controls.ProgressBar1, GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongW(fixture.controls.SelectedFile, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(L"Selected File:", trv::win32::WindowText(fixture.controls.Label2));
  ASSERT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"ZORPA TRV2K-3B Flash Programmer", fixture.watcher.boxes[0].caption);
  EXPECT_EQ(kUnexpectedError, fixture.watcher.boxes[0].text);
  fixture.hooked.before_call = nullptr;
  fixture.Program(kDevice, fixture.path);
  ASSERT_EQ(2u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"TRV2K-3B Flash reprogrammed and verified.", fixture.watcher.boxes[1].text);
}

// The window is closed during a run and the driver throws as the close handler closes the
// adapter: the handler is nested in the run, which stops first; the adapter is then closed and
// the window goes, with nothing shown.
TEST(Form, CloseThrowsDuringARun_RunStopsAndTheWindowGoes) {
  RunFixture fixture;
  const auto throw_at_close = ThrowAt("QB_Close", 1);
  int writes = 0;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_Write" && ++writes == 300) {
      PostMessageW(fixture.controls.Form1, WM_CLOSE, 0, 0);
    }
    throw_at_close(call);
  };
  fixture.Program(kDevice, fixture.path);
  EXPECT_EQ(300, writes);
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_FALSE(fixture.driver.CalledOnClosedHandle());
  EXPECT_TRUE(fixture.watcher.boxes.empty());
  EXPECT_TRUE(ui_test::DispatchUntilQuit().has_value());
  EXPECT_FALSE(IsWindow(fixture.controls.Form1));
}

// A click on "Program" that reaches the window while a run pumps (one queued before the run
// disabled the button) is dropped: a second run inside the first would work the adapter under it.
TEST(Form, ProgramClickedDuringARun_StartsNoSecondRun) {
  RunFixture fixture;
  bool clicked = false;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_OpenEx" && !clicked) {
      clicked = true;
      PostMessageW(fixture.controls.Form1, WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(fixture.controls.ProgramButton), BN_CLICKED),
                   reinterpret_cast<LPARAM>(fixture.controls.ProgramButton));
    }
  };
  fixture.Program(kDevice, fixture.path);
  EXPECT_EQ(1u, fixture.driver.CountCalls("QB_OpenEx"));
  ASSERT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(L"TRV2K-3B Flash reprogrammed and verified.", fixture.watcher.boxes[0].text);
}

// While a run goes the window shows the busy cursor; under a box that waits for the operator, and
// once the run has ended, completed, failed or thrown, the arrow.
TEST(Form, Cursor_BusyDuringARunArrowUnderItsBoxAndAfterIt) {
  const HCURSOR busy = LoadCursorW(nullptr, IDC_APPSTARTING);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  struct Row {
    const char* way_out;
    std::wstring device;
    const char* throwing_call;
  };
  for (const Row& row : {Row{"completes", kDevice, ""}, Row{"fails", L"Unplugged", ""},
                         Row{"throws", kDevice, "QB_Write"}}) {
    SCOPED_TRACE(row.way_out);
    RunFixture fixture;
    HCURSOR during = nullptr;
    fixture.hooked.before_call = [&](std::string_view call) {
      if (call == "QB_OpenEx") {
        during = CursorOver(fixture.controls.Form1);
      }
      if (call == row.throwing_call) {
        throw std::bad_alloc();
      }
    };
    std::vector<HCURSOR> under_boxes;
    fixture.watcher.on_box = [&](const ui_test::SeenBox&) {
      under_boxes.push_back(CursorOver(fixture.controls.Form1));
    };
    fixture.Program(row.device, fixture.path);
    EXPECT_EQ(busy, during);
    EXPECT_EQ(std::vector<HCURSOR>{arrow}, under_boxes);
    EXPECT_EQ(arrow, CursorOver(fixture.controls.Form1));
  }
}

// The device box is named by the label over it, not by "Selected File:", which comes before it in
// the creation order; the bar by the heading over it, which names the pass under way.
TEST(Form, ScreenReaderNames_DeviceBoxByItsLabelBarByTheHeadingOverIt) {
  FormFixture fixture;
  fixture.form.SetLabel2Caption("Programming Flash:");
  const std::vector<std::wstring> expected = {
      Id(fixture.controls.ComboBox1) + L" Select a device:",
      Id(fixture.controls.ProgressBar1) + L" Selected File:",
      Id(fixture.controls.ProgressBar1) + L" Programming Flash:"};
  EXPECT_EQ(expected, fixture.services.names);
}
