// The check's window where Win32 does what the check's core cannot show: its controls laid out at
// each density and in tab order, a close in the middle of a check, the report on the clipboard.
#include "check_ui/check_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "win32/win32_rom_file.h"
#include "win32/win32_text.h"

namespace {

using trv::check_ui::CheckControls;

// The check's window on the simulated adapter, hidden, with the controls found by their ids.
struct CheckFixture {
  ui_test::FormFixture::QueueDrain drain;
  trv::sim::VirtualClock clock;
  trv::sim::SimulatedAdapter driver;
  ui_test::HookedDriver hooked{driver};
  trv::DriverLibrary library{&hooked, "C:\\Tools\\QBLINK.DLL", "2.12.28.0", ""};
  trv::win32::Win32RomFileSystem files;
  ui_test::RecordingServices services;
  std::unique_ptr<trv::ProgrammerState> state = std::make_unique<trv::ProgrammerState>();
  trv::check_ui::CheckWindow window{
      library, clock, files, services, *state, {"1.4.0", "6.1 build 7601", library.path, "", ""}};
  ui_test::BoxWatcher watcher;
  CheckControls c;

  explicit CheckFixture(trv::sim::SimConfig config = {}) : driver(clock, std::move(config)) {
    window.Create(GetModuleHandleW(nullptr), SW_HIDE);
    c.CheckForm = window.handle();
    HWND next = GetWindow(c.CheckForm, GW_CHILD);
    for (HWND* control :
         {&c.Label1, &c.ComboBox1, &c.CheckButton, &c.SaveFlashButton, &c.CompareButton,
          &c.ReportLabel, &c.Report, &c.ReadingLabel, &c.ProgressBar1, &c.CopyReportButton}) {
      *control = next;
      next = GetWindow(next, GW_HWNDNEXT);
    }
    SetWindowTextW(c.ComboBox1,
                   trv::win32::WideFromAnsi(trv::sim::kDefaultAdapterDescription).c_str());
  }
  void Press(HWND button) {
    SendMessageW(c.CheckForm, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
};

// At each density every control lies inside the window and beside, not over, the others, and
// the font is 8 points high; Tab goes round the controls that take input in the order they are
// read, and Esc in the report leaves the window open.
class CheckWindowDensity : public ::testing::TestWithParam<int> {};

TEST_P(CheckWindowDensity, ControlsInsideTheWindowApartInTabOrder) {
  const int dpi = GetParam();
  CheckFixture fixture;
  const CheckControls& c = fixture.c;
  RECT suggested{0, 0, 100, 100};
  SendMessageW(c.CheckForm, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  ShowWindow(c.ReadingLabel, SW_SHOWNOACTIVATE);
  ShowWindow(c.ProgressBar1, SW_SHOWNOACTIVATE);
  RECT client;
  GetClientRect(c.CheckForm, &client);
  EXPECT_EQ(MulDiv(488, dpi, 96), client.right);
  std::vector<RECT> placed;
  for (HWND control = GetWindow(c.CheckForm, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    RECT bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, c.CheckForm, reinterpret_cast<POINT*>(&bounds), 2);
    if (control == c.ComboBox1) {  // the closed field, not its list
      bounds.bottom = bounds.top + MulDiv(21, dpi, 96);
    }
    RECT inside;
    EXPECT_TRUE(IntersectRect(&inside, &bounds, &client) && EqualRect(&inside, &bounds))
        << trv::win32::Utf8FromWide(trv::win32::WindowText(control));
    for (const RECT& other : placed) {
      EXPECT_FALSE(IntersectRect(&inside, &bounds, &other))
          << trv::win32::Utf8FromWide(trv::win32::WindowText(control));
    }
    placed.push_back(bounds);
  }
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.Report, WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(-MulDiv(8, dpi, 72), font.lfHeight);

  const HWND order[] = {c.ComboBox1,     c.CheckButton, c.SaveFlashButton,
                        c.CompareButton, c.Report,      c.CopyReportButton};
  for (std::size_t i = 0; i < std::size(order); ++i) {
    EXPECT_EQ(order[(i + 1) % std::size(order)], GetNextDlgTabItem(c.CheckForm, order[i], FALSE));
  }
  MSG escape{c.Report, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  fixture.window.HandleDialogMessage(&escape);
  EXPECT_FALSE(ui_test::DispatchUntilQuit().has_value());
  EXPECT_TRUE(IsWindow(c.CheckForm));
}

INSTANTIATE_TEST_SUITE_P(CheckWindow, CheckWindowDensity, ::testing::Values(96, 120, 144),
                         [](const auto& dpi) { return std::to_string(dpi.param) + "dpi"; });

// The session may not end while the check holds the adapter. Closed then, the check stops at its
// next pump; the window stays, with nothing on it to press, while the check restarts the chip and
// closes the adapter once; then the window goes.
TEST(CheckWindow, ClosedMidCheck_TheCheckRestartsTheChipAndClosesThenTheWindowGoes) {
  CheckFixture fixture;
  const CheckControls& c = fixture.c;
  ShowWindow(c.CheckForm, SW_SHOWNOACTIVATE);
  int polls = 0;
  LRESULT session_end = TRUE;
  bool held_at_close = false;
  fixture.hooked.before_call = [&](std::string_view call) {
    if (call == "QB_GetQueueStatus" && ++polls == 50) {
      session_end = SendMessageW(c.CheckForm, WM_QUERYENDSESSION, 0, 0);
      PostMessageW(c.CheckForm, WM_CLOSE, 0, 0);
    }
    if (call == "QB_Close") {
      held_at_close = IsWindowVisible(c.CheckForm) && !IsWindowEnabled(c.CheckButton);
    }
  };
  fixture.Press(c.CheckButton);
  EXPECT_EQ(FALSE, session_end);
  EXPECT_TRUE(held_at_close);
  EXPECT_EQ(1u, fixture.driver.CountCalls("QB_Close"));
  EXPECT_EQ("QB_Close", fixture.driver.calls().back().name);
  EXPECT_EQ(trv::sim::ChipMode::kRunning, fixture.driver.chip().mode());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_EQ(2u, fixture.services.session_end.size()) << "the reason given, then taken back";
  EXPECT_EQ(std::optional<int>(0), ui_test::DispatchUntilQuit());
  EXPECT_FALSE(IsWindow(c.CheckForm));
}

// "Copy report" puts the whole report, as the check composes it, on the clipboard as text.
TEST(CheckWindow, CopyReport_PutsTheReportOnTheClipboard) {
  trv::sim::SimConfig loop;
  loop.wiring = trv::sim::Wiring::kLoopback;
  CheckFixture fixture(loop);
  fixture.Press(fixture.c.CheckButton);
  fixture.Press(fixture.c.CopyReportButton);
  ASSERT_TRUE(OpenClipboard(nullptr));
  const HANDLE copied = GetClipboardData(CF_UNICODETEXT);
  const auto* locked =
      static_cast<const wchar_t*>(copied == nullptr ? nullptr : GlobalLock(copied));
  const std::wstring text = locked == nullptr ? L"" : locked;
  if (locked != nullptr) GlobalUnlock(copied);
  CloseClipboard();
  EXPECT_EQ(trv::win32::WideFromUtf8(fixture.window.ReportText()), text);
  EXPECT_NE(std::wstring::npos, text.find(L"\r\nAdapter: QB USB Serial Adapter\r\n"));
  EXPECT_NE(std::wstring::npos, text.find(L"Time for a run: passed."));
}

}  // namespace
