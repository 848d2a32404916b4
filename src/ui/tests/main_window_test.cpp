#include "ui/main_window.h"

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "ui/gdi_guards.h"
#include "ui_test.h"
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
// start and the whole file name to show above the bottom edge, at either density; the caption,
// which the run reads, stays the whole path. A short path takes one line again.
UI_TEST(Form_LongPathWithoutSpaces_WrapsWithinTheFixedWidthAndShowsTheFileName) {
  for (const int dpi : {96, 144}) {
    FormFixture fixture;
    ShowWindow(fixture.window, SW_SHOWNOACTIVATE);
    for (const std::size_t length : {400, 260, 150}) {
      UI_SCOPED_TRACE(std::to_string(length) + " characters at " + std::to_string(dpi) + " dpi");
      std::wstring path = L"C:\\" + std::wstring(length - 17, L'x') + L"\\customerB.ROM";
      for (std::size_t at = 23; at < length - 15; at += 20) {
        path[at] = L'\\';
      }
      fixture.form.SetSelectedFileCaption(path);
      // The first path is shown before the window takes the density.
      RECT bounds{0, 0, MulDiv(388, dpi, 96), MulDiv(150, dpi, 96)};
      SendMessageW(fixture.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&bounds));
      UpdateWindow(fixture.selected_file);
      const std::wstring drawn = fixture.form.selected_file_drawn();
      const RECT label = fixture.BoundsInClient(fixture.selected_file);
      const int height =
          fixture.TextSize(fixture.selected_file, drawn, label.right - label.left).cy;
      GetClientRect(fixture.window, &bounds);
      UI_EXPECT_EQ(MulDiv(257, dpi, 96), label.right - label.left);
      UI_EXPECT(drawn.rfind(L"C:\\xxx", 0) == 0 && drawn.size() >= 14 &&
                drawn.compare(drawn.size() - 14, 14, L"\\customerB.ROM") == 0);
      UI_EXPECT(height <= label.bottom - label.top && label.bottom <= bounds.bottom);
      // Shortened only as far as needed: its lines reach to within one line of the bottom edge.
      UI_EXPECT(drawn == path ? length == 150
                              : label.top + height + MulDiv(13, dpi, 96) > bounds.bottom);
      UI_EXPECT(fixture.form.RomFilePath() == trv::win32::Utf8FromWide(path));
    }
    fixture.form.SetSelectedFileCaption(L"C:\\a.ROM");
    const RECT bounds = fixture.BoundsInClient(fixture.selected_file);
    UI_EXPECT_EQ(MulDiv(13, dpi, 96), bounds.bottom - bounds.top);
  }
}

UI_TEST(Form_RomFilePath_KeepsEveryCharacterAndAmpersands) {
  FormFixture fixture;
  const std::wstring path = L"C:\\R\u00f6m & \u4e2d\\a&&b.ROM";
  fixture.form.SetSelectedFileCaption(path);
  UI_EXPECT(fixture.form.RomFilePath() == trv::win32::Utf8FromWide(path));
}

UI_TEST(Form_Label2_GrowsForALongerHeading) {
  FormFixture fixture;
  fixture.form.SetLabel2Caption("Programming Flash:");
  const RECT bounds = fixture.BoundsInClient(fixture.label2);
  UI_EXPECT(bounds.right - bounds.left >=
            fixture.TextSize(fixture.label2, L"Programming Flash:").cx);
}

UI_TEST(Form_DeviceList_ListsEveryDescriptionInOrderEachTime) {
  FormFixture fixture(Adapters({"QB USB Serial Adapter", "Twin", "Twin", "Caf\xe9"}));
  SetWindowTextW(fixture.combo_box, L"typed");
  fixture.OpenDeviceList();
  fixture.OpenDeviceList();
  const std::vector<std::wstring> expected = {L"QB USB Serial Adapter", L"Twin", L"Twin",
                                              trv::win32::WideFromAnsi("Caf\xe9")};
  UI_EXPECT(fixture.DeviceItems() == expected);
  UI_EXPECT_EQ(GetWindowTextLengthW(fixture.combo_box), 0);
  SendMessageW(fixture.combo_box, CB_SETCURSEL, 3, 0);
  UI_EXPECT(fixture.form.DeviceDescription() == "Caf\xe9");
}

UI_TEST(Form_DeviceList_DriverFailure_ShowsNothingAndListsNothing) {
  trv::sim::SimConfig config;
  config.faults.list_status = 4;
  FormFixture fixture(config);
  fixture.OpenDeviceList();
  UI_EXPECT(fixture.DeviceItems().empty());
  UI_EXPECT(fixture.watcher.boxes.empty());
}

UI_TEST(Form_DeviceList_NoAdapters_SaysSoInABoxCentredOnTheScreen) {
  FormFixture fixture(Adapters({}));
  SetWindowPos(fixture.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  fixture.OpenDeviceList();
  UI_EXPECT_EQ(1u, fixture.watcher.boxes.size());
  if (fixture.watcher.boxes.size() != 1) {
    return;
  }
  const SeenBox& box = fixture.watcher.boxes[0];
  UI_EXPECT(box.caption == L"Information");
  UI_EXPECT(box.text == L"No devices found.");
  const int centre_x = (box.bounds.left + box.bounds.right) / 2;
  const int centre_y = (box.bounds.top + box.bounds.bottom) / 2;
  UI_EXPECT(std::abs(centre_x - GetSystemMetrics(SM_CXSCREEN) / 2) <= 1);
  UI_EXPECT(std::abs(centre_y - GetSystemMetrics(SM_CYSCREEN) / 2) <= 1);
}

// Closing from inside a handler: the adapter is closed at once, the handler stops, and the
// window is destroyed only once the handler has returned.
UI_TEST(Form_ClosedWhileAHandlerPumps_ClosesAdapterThenGoes) {
  FormFixture fixture;
  fixture.OpenAdapter();
  PostMessageW(fixture.window, WM_CLOSE, 0, 0);
  fixture.OpenDeviceList();
  UI_EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  UI_EXPECT(!fixture.state->adapter.open);
  UI_EXPECT_EQ(0u, fixture.driver.CountCalls("QB_CreateDeviceInfoList"));
  UI_EXPECT(IsWindow(fixture.window) && !IsWindowVisible(fixture.window));
  int code = -1;
  UI_EXPECT(DispatchUntilQuit(&code));
  UI_EXPECT_EQ(0, code);
  UI_EXPECT(!IsWindow(fixture.window));

  fixture.form.ShowInformation("after the close");
  fixture.form.SetInputControlsEnabled(true);
  UI_EXPECT(fixture.watcher.boxes.empty());
  UI_EXPECT(fixture.form.RomFilePath().empty());
  UI_EXPECT(!fixture.form.PumpMessages());
}

UI_TEST(Form_QuitMetWhilePumping_IsPassedOnAfterTheHandler) {
  FormFixture fixture;
  PostQuitMessage(7);
  fixture.OpenDeviceList();
  UI_EXPECT_EQ(1u, fixture.DeviceItems().size());
  int code = -1;
  UI_EXPECT(DispatchUntilQuit(&code));
  UI_EXPECT_EQ(7, code);
  UI_EXPECT(IsWindow(fixture.window));
  UI_EXPECT(fixture.watcher.boxes.empty());
}

UI_TEST(Form_DestroyedWithoutClose_StillClosesAdapter) {
  FormFixture fixture;
  fixture.OpenAdapter();
  DestroyWindow(fixture.window);
  UI_EXPECT_EQ(0u, fixture.driver.OpenHandleCount());
  UI_EXPECT(!fixture.state->adapter.open);
  UI_EXPECT(!fixture.form.PumpMessages());
}

// During a pass the bar is shown and the input controls are off: the focus must not land on the
// bar, there or when the window is activated; with the controls back, Tab cycles the three.
UI_TEST(Form_ProgressBar_KeepsItsPlaceButIsNoTabStop) {
  FormFixture fixture;
  UI_EXPECT((GetWindowLongW(fixture.progress_bar, GWL_STYLE) & WS_TABSTOP) == 0);
  UI_EXPECT(GetWindow(fixture.progress_bar, GW_HWNDNEXT) == nullptr);
  fixture.form.SetProgressBarVisible(true);
  fixture.form.SetSelectedFileVisible(false);
  fixture.form.SetInputControlsEnabled(false);
  UI_EXPECT(GetNextDlgTabItem(fixture.window, nullptr, FALSE) != fixture.progress_bar);

  fixture.form.SetInputControlsEnabled(true);
  const HWND order[] = {fixture.combo_box, fixture.open_button, fixture.program_button};
  for (int step = 0; step < 6; ++step) {
    UI_SCOPED_TRACE("Tab number " + std::to_string(step + 1));
    UI_EXPECT(GetNextDlgTabItem(fixture.window, order[step % 3], FALSE) == order[(step + 1) % 3]);
    UI_EXPECT(GetNextDlgTabItem(fixture.window, order[(step + 1) % 3], TRUE) == order[step % 3]);
  }
}

// Moved to a screen of 144 dots per inch: the window and every control are 1.5 times their size
// and place at 96, and so are the font and the list's rows.
UI_TEST(Form_ScreenDensity144_ScalesEveryBoundByOneAndAHalf) {
  FormFixture fixture;
  RECT suggested{40, 30, 40 + 582, 30 + 225};
  SendMessageW(fixture.window, WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT outer;
  GetWindowRect(fixture.window, &outer);
  UI_EXPECT_EQ(582, outer.right - outer.left);
  UI_EXPECT_EQ(225, outer.bottom - outer.top);
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
    UI_SCOPED_TRACE(control.name);
    const RECT bounds = fixture.BoundsInClient(control.control);
    UI_EXPECT_EQ(at144(control.left), bounds.left);
    UI_EXPECT_EQ(at144(control.top), bounds.top);
    UI_EXPECT_EQ(at144(control.width), bounds.right - bounds.left);
    UI_EXPECT_EQ(at144(control.height), bounds.bottom - bounds.top);
  }
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(fixture.label1, WM_GETFONT, 0, 0)), sizeof(font),
             &font);
  UI_EXPECT_EQ(-16, font.lfHeight);
  UI_EXPECT_EQ(at144(13),
               static_cast<int>(SendMessageW(fixture.combo_box, CB_GETITEMHEIGHT, 0, 0)));
}

// A box in the middle of a pass comes up over the bar as far as the pass has really got, though
// the last move came too soon after the one before to be painted then.
UI_TEST(Form_BoxDuringAPass_ShowsTheProgressMadeSoFar) {
  FormFixture fixture;
  ShowWindow(fixture.window, SW_SHOWNOACTIVATE);
  fixture.form.SetProgressBarVisible(true);
  fixture.form.SetProgressPosition(128);
  fixture.form.SetProgressPosition(256);
  UI_EXPECT_EQ(128u, fixture.form.progress_painter().painted_position());
  std::uint32_t painted_when_shown = 0;
  fixture.watcher.on_box = [&](const SeenBox&) {
    painted_when_shown = fixture.form.progress_painter().painted_position();
  };
  fixture.form.ShowInformation("Failed to read ACK.");
  UI_EXPECT_EQ(1u, fixture.watcher.boxes.size());
  UI_EXPECT_EQ(256u, painted_when_shown);
}

// Enter on "Program" starts a run; once its box is closed, Enter must start the next one.
UI_TEST(Form_AfterARun_FocusIsBackOnTheControlThatHadIt) {
  FormFixture fixture;
  ShowWindow(fixture.window, SW_SHOW);
  SetFocus(fixture.program_button);
  fixture.Program(L"", L"");
  UI_EXPECT_EQ(1u, fixture.watcher.boxes.size());
  UI_EXPECT(GetFocus() == fixture.program_button);
}
