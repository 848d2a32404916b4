#include "ui/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "ui/gdi_guards.h"
#include "win32/win32_text.h"

namespace {

using ui_test::DispatchUntilQuit;
using ui_test::FormFixture;
using ui_test::SeenBox;

trv::sim::SimConfig Adapters(std::vector<std::string> descriptions) {
  trv::sim::SimConfig config;
  config.adapters = std::move(descriptions);
  return config;
}

}  // namespace

// A path too long for the fixed window is drawn shortened among its folders, just enough for its
// start and the whole file name to show above the bottom edge, at either density, as the text
// really measures; the caption, which the run reads, stays the whole path. A short path takes one
// line again.
TEST(Form, LongPathWithoutSpaces_WrapsWithinTheFixedWidthAndShowsTheFileName) {
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    FormFixture fixture;
    ShowWindow(fixture.controls.Form1, SW_SHOWNOACTIVATE);
    // 400 characters, with a folder every 20.
    std::wstring path = L"C:\\" + std::wstring(383, L'x') + L"\\customerB.ROM";
    for (std::size_t at = 23; at < 385; at += 20) {
      path[at] = L'\\';
    }
    fixture.form.SetSelectedFileCaption(path);
    // The path is shown before the window takes the density.
    RECT bounds{0, 0, MulDiv(388, dpi, 96), MulDiv(150, dpi, 96)};
    SendMessageW(fixture.controls.Form1, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&bounds));
    UpdateWindow(fixture.controls.SelectedFile);
    const std::wstring drawn = fixture.form.selected_file_drawn();
    const RECT label = fixture.BoundsInClient(fixture.controls.SelectedFile);
    const int height =
        fixture.TextSize(fixture.controls.SelectedFile, drawn, label.right - label.left).cy;
    GetClientRect(fixture.controls.Form1, &bounds);
    EXPECT_EQ(MulDiv(257, dpi, 96), label.right - label.left);
    ASSERT_GE(drawn.size(), 14u);
    EXPECT_EQ(L"C:\\xxx", drawn.substr(0, 6));
    EXPECT_EQ(L"\\customerB.ROM", drawn.substr(drawn.size() - 14));
    EXPECT_LE(height, label.bottom - label.top);
    EXPECT_LE(label.bottom, bounds.bottom);
    // Shortened only as far as needed: its lines reach to within one line of the bottom edge.
    EXPECT_GT(label.top + height + MulDiv(13, dpi, 96), bounds.bottom);
    EXPECT_EQ(trv::win32::Utf8FromWide(path), fixture.form.RomFilePath());
    fixture.form.SetSelectedFileCaption(L"C:\\a.ROM");
    const RECT short_bounds = fixture.BoundsInClient(fixture.controls.SelectedFile);
    EXPECT_EQ(MulDiv(13, dpi, 96), short_bounds.bottom - short_bounds.top);
  }
}

TEST(Form, RomFilePath_KeepsEveryCharacterAndAmpersands) {
  FormFixture fixture;
  const std::wstring path = L"C:\\R\u00f6m & \u4e2d\\a&&b.ROM";
  fixture.form.SetSelectedFileCaption(path);
  EXPECT_EQ(trv::win32::Utf8FromWide(path), fixture.form.RomFilePath());
}

TEST(Form, Label2_GrowsForALongerHeading) {
  FormFixture fixture;
  fixture.form.SetLabel2Caption("Programming Flash:");
  const RECT bounds = fixture.BoundsInClient(fixture.controls.Label2);
  EXPECT_GE(bounds.right - bounds.left,
            fixture.TextSize(fixture.controls.Label2, L"Programming Flash:").cx);
}

TEST(Form, DeviceList_ListsEveryDescriptionInOrderEachTime) {
  FormFixture fixture(Adapters({"QB USB Serial Adapter", "Twin", "Twin", "Caf\xe9"}));
  SetWindowTextW(fixture.controls.ComboBox1, L"typed");
  fixture.OpenDeviceList();
  fixture.OpenDeviceList();
  const std::vector<std::wstring> expected = {L"QB USB Serial Adapter", L"Twin", L"Twin",
                                              trv::win32::WideFromAnsi("Caf\xe9")};
  EXPECT_EQ(expected, fixture.DeviceItems());
  EXPECT_EQ(0, GetWindowTextLengthW(fixture.controls.ComboBox1));
  SendMessageW(fixture.controls.ComboBox1, CB_SETCURSEL, 3, 0);
  EXPECT_EQ("Caf\xe9", fixture.form.DeviceDescription());
}

TEST(Form, DeviceList_DriverFailure_ShowsNothingAndListsNothing) {
  trv::sim::SimConfig config;
  config.faults.list_status = 4;
  FormFixture fixture(config);
  fixture.OpenDeviceList();
  EXPECT_TRUE(fixture.DeviceItems().empty());
  EXPECT_TRUE(fixture.watcher.boxes.empty());
}

TEST(Form, DeviceList_NoAdapters_SaysSoInABoxCentredOnTheScreen) {
  FormFixture fixture(Adapters({}));
  SetWindowPos(fixture.controls.Form1, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  fixture.OpenDeviceList();
  ASSERT_EQ(1u, fixture.watcher.boxes.size());
  const SeenBox& box = fixture.watcher.boxes[0];
  EXPECT_EQ(L"Information", box.caption);
  EXPECT_EQ(L"No devices found.", box.text);
  const int centre_x = (box.bounds.left + box.bounds.right) / 2;
  const int centre_y = (box.bounds.top + box.bounds.bottom) / 2;
  EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, centre_x, 1);
  EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, centre_y, 1);
}

// Closing from inside a handler: the adapter is closed at once, the handler stops, and the
// window is destroyed only once the handler has returned.
TEST(Form, ClosedWhileAHandlerPumps_ClosesAdapterThenGoes) {
  FormFixture fixture;
  fixture.OpenAdapter();
  PostMessageW(fixture.controls.Form1, WM_CLOSE, 0, 0);
  fixture.OpenDeviceList();
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_EQ(0u, fixture.driver.CountCalls("QB_CreateDeviceInfoList"));
  EXPECT_TRUE(IsWindow(fixture.controls.Form1));
  EXPECT_FALSE(IsWindowVisible(fixture.controls.Form1));
  EXPECT_EQ(std::optional<int>(0), DispatchUntilQuit());
  EXPECT_FALSE(IsWindow(fixture.controls.Form1));

  fixture.form.ShowInformation("after the close");
  fixture.form.SetInputControlsEnabled(true);
  EXPECT_TRUE(fixture.watcher.boxes.empty());
  EXPECT_EQ("", fixture.form.RomFilePath());
  EXPECT_FALSE(fixture.form.PumpMessages().window_open);
}

// Another program asks for a repaint of everything whenever the window paints (each paint here
// moves the clock on 1 ms): a pump paints the window once and returns, and the next paints only
// once painting has had no more than its share of the time.
struct RepaintFlood {
  trv::sim::VirtualClock& clock;
  HWND window;
  int paints = 0;

  static LRESULT CALLBACK PaintProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR, DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
    auto* flood = reinterpret_cast<RepaintFlood*>(self);
    if (message == WM_PAINT) {
      ++flood->paints;
      flood->clock.AdvanceUs(1000);
      RedrawWindow(flood->window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
    return result;
  }
};

TEST(Form, RepaintFlood_EachPumpPaintsAtMostOnceAndPaintingKeepsToItsShare) {
  FormFixture fixture;
  ShowWindow(fixture.controls.Form1, SW_SHOWNOACTIVATE);
  RepaintFlood flood{fixture.clock, fixture.controls.Form1};
  SetWindowSubclass(fixture.controls.Label1, &RepaintFlood::PaintProc, 0,
                    reinterpret_cast<DWORD_PTR>(&flood));
  RedrawWindow(fixture.controls.Form1, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  std::vector<int> paints;
  for (const std::uint64_t before_us : {0, 0, 30'000, 1'000}) {
    fixture.clock.AdvanceUs(before_us);
    EXPECT_TRUE(fixture.form.PumpMessages().window_open);
    paints.push_back(flood.paints);
  }
  // A paint of 1 ms is followed by 31 ms without one.
  EXPECT_EQ((std::vector<int>{1, 1, 1, 2}), paints);
  RemoveWindowSubclass(fixture.controls.Label1, &RepaintFlood::PaintProc, 0);
}

TEST(Form, QuitMetWhilePumping_IsPassedOnAfterTheHandler) {
  FormFixture fixture;
  PostQuitMessage(7);
  fixture.OpenDeviceList();
  EXPECT_EQ(1u, fixture.DeviceItems().size());
  EXPECT_EQ(std::optional<int>(7), DispatchUntilQuit());
  EXPECT_TRUE(IsWindow(fixture.controls.Form1));
  EXPECT_TRUE(fixture.watcher.boxes.empty());
}

TEST(Form, DestroyedWithoutClose_StillClosesAdapter) {
  FormFixture fixture;
  fixture.OpenAdapter();
  DestroyWindow(fixture.controls.Form1);
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_FALSE(fixture.form.PumpMessages().window_open);
}

// During a pass the bar is shown and the input controls are off: the focus must not land on the
// bar, there or when the window is activated; with the controls back, Tab cycles the three.
TEST(Form, ProgressBar_KeepsItsPlaceButIsNoTabStop) {
  FormFixture fixture;
  EXPECT_EQ(0, GetWindowLongW(fixture.controls.ProgressBar1, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(nullptr, GetWindow(fixture.controls.ProgressBar1, GW_HWNDNEXT));
  fixture.form.SetProgressBarVisible(true);
  fixture.form.SetSelectedFileVisible(false);
  fixture.form.SetInputControlsEnabled(false);
  EXPECT_NE(fixture.controls.ProgressBar1,
            GetNextDlgTabItem(fixture.controls.Form1, nullptr, FALSE));

  fixture.form.SetInputControlsEnabled(true);
  const HWND order[] = {fixture.controls.ComboBox1, fixture.controls.OpenButton,
                        fixture.controls.ProgramButton};
  for (int step = 0; step < 6; ++step) {
    SCOPED_TRACE("Tab number " + std::to_string(step + 1));
    EXPECT_EQ(order[(step + 1) % 3],
              GetNextDlgTabItem(fixture.controls.Form1, order[step % 3], FALSE));
    EXPECT_EQ(order[step % 3],
              GetNextDlgTabItem(fixture.controls.Form1, order[(step + 1) % 3], TRUE));
  }
}

// At each screen density the window and every control take their place and size at 96 dots per
// inch scaled, and so do the list's rows; Label2 widens where its caption measures wider, and the
// font is 8 points high. As the window opens, each control has its caption and state, and the bar
// its range.
class ScreenDensity : public ::testing::TestWithParam<int> {};

TEST_P(ScreenDensity, EveryControlAtItsScaledPlaceWithItsCaptionAndState) {
  const int dpi = GetParam();
  const auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  FormFixture fixture;
  const trv::ui::FormControls& c = fixture.controls;
  if (dpi != 96) {  // the tests' own screen has 96
    RECT suggested{40, 30, 40 + scaled(388), 30 + scaled(150)};
    SendMessageW(c.Form1, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT outer;
    GetWindowRect(c.Form1, &outer);
    EXPECT_EQ(scaled(388), outer.right - outer.left);
    EXPECT_EQ(scaled(150), outer.bottom - outer.top);
  }
  struct Expected {
    const char* name;
    HWND control;
    int left, top, width, height;  // at 96 dots per inch
    const wchar_t* caption;
    bool visible;
  };
  const Expected controls[] = {
      {"Label1", c.Label1, 16, 16, 77, 13, L"Select a device:", true},
      {"SelectedFile", c.SelectedFile, 16, 72, 257, 13, L"", true},
      {"Label2", c.Label2, 16, 59, 64, 13, L"Selected File:", true},
      {"ComboBox1", c.ComboBox1, 16, 32, 257, 21, L"", true},
      {"OpenButton", c.OpenButton, 288, 32, 75, 25, L"ROM File...", true},
      {"ProgramButton", c.ProgramButton, 288, 64, 75, 25, L"Program", true},
      {"ProgressBar1", c.ProgressBar1, 16, 80, 257, 16, L"", false},
  };
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.name);
    const RECT bounds = fixture.BoundsInClient(control.control);
    EXPECT_EQ(scaled(control.left), bounds.left);
    EXPECT_EQ(scaled(control.top), bounds.top);
    const int width = scaled(control.width);
    EXPECT_EQ(control.control == c.Label2
                  ? std::max<int>(width, fixture.TextSize(c.Label2, control.caption).cx)
                  : width,
              bounds.right - bounds.left);
    EXPECT_EQ(scaled(control.height), bounds.bottom - bounds.top);
    EXPECT_EQ(control.caption, trv::win32::WindowText(control.control));
    EXPECT_EQ(control.visible, (GetWindowLongW(control.control, GWL_STYLE) & WS_VISIBLE) != 0);
  }
  EXPECT_TRUE(fixture.InputsEnabled());
  EXPECT_EQ(CBS_DROPDOWN, GetWindowLongW(c.ComboBox1, GWL_STYLE) & 3) << "an editable drop-down";
  EXPECT_EQ(0, SendMessageW(c.ComboBox1, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(scaled(13), SendMessageW(c.ComboBox1, CB_GETITEMHEIGHT, 0, 0));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.Label1, WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(-MulDiv(8, dpi, 72), font.lfHeight);
  EXPECT_EQ(0, SendMessageW(c.ProgressBar1, PBM_GETRANGE, TRUE, 0));
  EXPECT_EQ(65536, SendMessageW(c.ProgressBar1, PBM_GETRANGE, FALSE, 0));
}

INSTANTIATE_TEST_SUITE_P(Form, ScreenDensity, ::testing::Values(96, 120, 144),
                         [](const auto& dpi) { return std::to_string(dpi.param) + "dpi"; });

// A box in the middle of a pass comes up over the bar as far as the pass has really got, though
// no frame has painted the moves yet.
TEST(Form, BoxDuringAPass_ShowsTheProgressMadeSoFar) {
  FormFixture fixture;
  ShowWindow(fixture.controls.Form1, SW_SHOWNOACTIVATE);
  fixture.form.SetProgressBarVisible(true);
  fixture.form.SetProgressPosition(128);
  fixture.form.SetProgressPosition(256);
  EXPECT_EQ(0u, fixture.form.progress_painter().painted_position());
  std::uint32_t painted_when_shown = 0;
  fixture.watcher.on_box = [&](const SeenBox&) {
    painted_when_shown = fixture.form.progress_painter().painted_position();
  };
  fixture.form.ShowInformation("Failed to read ACK.");
  EXPECT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(256u, painted_when_shown);
}

// Enter on "Program" starts a run; once its box is closed, Enter must start the next one.
TEST(Form, AfterARun_FocusIsBackOnTheControlThatHadIt) {
  FormFixture fixture;
  ShowWindow(fixture.controls.Form1, SW_SHOW);
  SetFocus(fixture.controls.ProgramButton);
  fixture.Program(L"", L"");
  EXPECT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(fixture.controls.ProgramButton, GetFocus());
}
