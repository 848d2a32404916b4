#include "ui/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

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
    ShowWindow(fixture.window, SW_SHOWNOACTIVATE);
    // 400 characters, with a folder every 20.
    std::wstring path = L"C:\\" + std::wstring(383, L'x') + L"\\customerB.ROM";
    for (std::size_t at = 23; at < 385; at += 20) {
      path[at] = L'\\';
    }
    fixture.form.SetSelectedFileCaption(path);
    // The path is shown before the window takes the density.
    RECT bounds{0, 0, MulDiv(388, dpi, 96), MulDiv(150, dpi, 96)};
    SendMessageW(fixture.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&bounds));
    UpdateWindow(fixture.selected_file);
    const std::wstring drawn = fixture.form.selected_file_drawn();
    const RECT label = fixture.BoundsInClient(fixture.selected_file);
    const int height = fixture.TextSize(fixture.selected_file, drawn, label.right - label.left).cy;
    GetClientRect(fixture.window, &bounds);
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
    const RECT short_bounds = fixture.BoundsInClient(fixture.selected_file);
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
  const RECT bounds = fixture.BoundsInClient(fixture.label2);
  EXPECT_GE(bounds.right - bounds.left, fixture.TextSize(fixture.label2, L"Programming Flash:").cx);
}

TEST(Form, DeviceList_ListsEveryDescriptionInOrderEachTime) {
  FormFixture fixture(Adapters({"QB USB Serial Adapter", "Twin", "Twin", "Caf\xe9"}));
  SetWindowTextW(fixture.combo_box, L"typed");
  fixture.OpenDeviceList();
  fixture.OpenDeviceList();
  const std::vector<std::wstring> expected = {L"QB USB Serial Adapter", L"Twin", L"Twin",
                                              trv::win32::WideFromAnsi("Caf\xe9")};
  EXPECT_EQ(expected, fixture.DeviceItems());
  EXPECT_EQ(0, GetWindowTextLengthW(fixture.combo_box));
  SendMessageW(fixture.combo_box, CB_SETCURSEL, 3, 0);
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
  SetWindowPos(fixture.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
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
  PostMessageW(fixture.window, WM_CLOSE, 0, 0);
  fixture.OpenDeviceList();
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_EQ(0u, fixture.driver.CountCalls("QB_CreateDeviceInfoList"));
  EXPECT_TRUE(IsWindow(fixture.window));
  EXPECT_FALSE(IsWindowVisible(fixture.window));
  int code = -1;
  EXPECT_TRUE(DispatchUntilQuit(&code));
  EXPECT_EQ(0, code);
  EXPECT_FALSE(IsWindow(fixture.window));

  fixture.form.ShowInformation("after the close");
  fixture.form.SetInputControlsEnabled(true);
  EXPECT_TRUE(fixture.watcher.boxes.empty());
  EXPECT_EQ("", fixture.form.RomFilePath());
  EXPECT_FALSE(fixture.form.PumpMessages().window_open);
}

// Another program asks for a repaint of everything as fast as the window paints (each paint here
// moves the clock on 1 ms): a pump still returns once it has spent its budget.
struct RepaintFlood {
  trv::sim::VirtualClock& clock;
  HWND window;
  int paints = 0;
  static constexpr int kPaintsUntilItStops = 5000;

  static LRESULT CALLBACK PaintProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR, DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
    auto* flood = reinterpret_cast<RepaintFlood*>(self);
    if (message == WM_PAINT && ++flood->paints < kPaintsUntilItStops) {
      flood->clock.AdvanceUs(1000);
      RedrawWindow(flood->window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
    return result;
  }
};

TEST(Form, RepaintFlood_PumpReturnsWithinItsBudget) {
  FormFixture fixture;
  ShowWindow(fixture.window, SW_SHOWNOACTIVATE);
  RepaintFlood flood{fixture.clock, fixture.window};
  SetWindowSubclass(fixture.label1, &RepaintFlood::PaintProc, 0,
                    reinterpret_cast<DWORD_PTR>(&flood));
  RedrawWindow(fixture.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  const std::uint64_t start_us = fixture.clock.NowUs();
  EXPECT_TRUE(fixture.form.PumpMessages().window_open);
  EXPECT_LT(flood.paints, RepaintFlood::kPaintsUntilItStops);
  EXPECT_LE(fixture.clock.NowUs() - start_us, trv::ui::TForm1::kPumpBudgetUs + 1000);
  RemoveWindowSubclass(fixture.label1, &RepaintFlood::PaintProc, 0);
}

TEST(Form, QuitMetWhilePumping_IsPassedOnAfterTheHandler) {
  FormFixture fixture;
  PostQuitMessage(7);
  fixture.OpenDeviceList();
  EXPECT_EQ(1u, fixture.DeviceItems().size());
  int code = -1;
  EXPECT_TRUE(DispatchUntilQuit(&code));
  EXPECT_EQ(7, code);
  EXPECT_TRUE(IsWindow(fixture.window));
  EXPECT_TRUE(fixture.watcher.boxes.empty());
}

TEST(Form, DestroyedWithoutClose_StillClosesAdapter) {
  FormFixture fixture;
  fixture.OpenAdapter();
  DestroyWindow(fixture.window);
  EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  EXPECT_FALSE(fixture.state->adapter.open);
  EXPECT_FALSE(fixture.form.PumpMessages().window_open);
}

// During a pass the bar is shown and the input controls are off: the focus must not land on the
// bar, there or when the window is activated; with the controls back, Tab cycles the three.
TEST(Form, ProgressBar_KeepsItsPlaceButIsNoTabStop) {
  FormFixture fixture;
  EXPECT_EQ(0, GetWindowLongW(fixture.progress_bar, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(nullptr, GetWindow(fixture.progress_bar, GW_HWNDNEXT));
  fixture.form.SetProgressBarVisible(true);
  fixture.form.SetSelectedFileVisible(false);
  fixture.form.SetInputControlsEnabled(false);
  EXPECT_NE(fixture.progress_bar, GetNextDlgTabItem(fixture.window, nullptr, FALSE));

  fixture.form.SetInputControlsEnabled(true);
  const HWND order[] = {fixture.combo_box, fixture.open_button, fixture.program_button};
  for (int step = 0; step < 6; ++step) {
    SCOPED_TRACE("Tab number " + std::to_string(step + 1));
    EXPECT_EQ(order[(step + 1) % 3], GetNextDlgTabItem(fixture.window, order[step % 3], FALSE));
    EXPECT_EQ(order[step % 3], GetNextDlgTabItem(fixture.window, order[(step + 1) % 3], TRUE));
  }
}

// Moved to a screen of 144 dots per inch: the window and every control are 1.5 times their size
// and place at 96, and so are the font and the list's rows.
TEST(Form, ScreenDensity144_ScalesEveryBoundByOneAndAHalf) {
  FormFixture fixture;
  RECT suggested{40, 30, 40 + 582, 30 + 225};
  SendMessageW(fixture.window, WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT outer;
  GetWindowRect(fixture.window, &outer);
  EXPECT_EQ(582, outer.right - outer.left);
  EXPECT_EQ(225, outer.bottom - outer.top);
  struct Expected {
    const char* name;
    HWND control;
    int left, top, width, height;  // at 96 dots per inch
  };
  const Expected controls[] = {
      {"Label1", fixture.label1, 16, 16, 77, 13},
      {"SelectedFile", fixture.selected_file, 16, 72, 257, 13},
      {"Label2", fixture.label2, 16, 59, 64, 13},
      {"ComboBox1", fixture.combo_box, 16, 32, 257, 21},
      {"OpenButton", fixture.open_button, 288, 32, 75, 25},
      {"ProgramButton", fixture.program_button, 288, 64, 75, 25},
      {"ProgressBar1", fixture.progress_bar, 16, 80, 257, 16},
  };
  auto at144 = [](int pixels) { return MulDiv(pixels, 144, 96); };
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.name);
    const RECT bounds = fixture.BoundsInClient(control.control);
    EXPECT_EQ(at144(control.left), bounds.left);
    EXPECT_EQ(at144(control.top), bounds.top);
    EXPECT_EQ(at144(control.width), bounds.right - bounds.left);
    EXPECT_EQ(at144(control.height), bounds.bottom - bounds.top);
  }
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(fixture.label1, WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  EXPECT_EQ(-16, font.lfHeight);
  EXPECT_EQ(at144(13), SendMessageW(fixture.combo_box, CB_GETITEMHEIGHT, 0, 0));
}

// A box in the middle of a pass comes up over the bar as far as the pass has really got, though
// the last move came too soon after the one before to be painted then.
TEST(Form, BoxDuringAPass_ShowsTheProgressMadeSoFar) {
  FormFixture fixture;
  ShowWindow(fixture.window, SW_SHOWNOACTIVATE);
  fixture.form.SetProgressBarVisible(true);
  fixture.form.SetProgressPosition(128);
  fixture.form.SetProgressPosition(256);
  EXPECT_EQ(128u, fixture.form.progress_painter().painted_position());
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
  ShowWindow(fixture.window, SW_SHOW);
  SetFocus(fixture.program_button);
  fixture.Program(L"", L"");
  EXPECT_EQ(1u, fixture.watcher.boxes.size());
  EXPECT_EQ(fixture.program_button, GetFocus());
}
