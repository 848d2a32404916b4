// One idle window, as the program opens it: its frame, the checks of the input before a run, the
// file dialog, and closing. Where each control stands at each screen density, and the device list,
// are the window tests'.
#include <windows.h>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// A message box whose text takes two lines is at least this high, in pixels.
constexpr int kTwoLinesHeight = 24;

class Window : public SharedProgrammer<Window> {
 protected:
  static void SetUpTestSuite() {
    app = StartProgrammer("window", {});
    MakeFolders(app.Path(L"roms"));
  }

  static void WriteRom(const std::wstring& name, std::uint32_t seed) {
    WriteWholeFile(app.Path(name), RomImage(kRomSize, seed));
  }
};

// At 96 dpi: 388 x 150 pixels, centred on the screen, a title bar and system menu but no sizing
// border, minimise or maximise button, on the button-face colour.
TEST_F(Window, OpensCentredInItsFixedFrame) {
  ExpectWindowsVersion(app.Log(), "QBSIM Windows 6.1 ");
  const HWND window = app->window();
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  RECT client = {};
  GetClientRect(window, &client);
  POINT corner = {client.right - 6, client.bottom - 6};  // an empty corner of the client area
  ClientToScreen(window, &corner);
  const COLORREF background = GetPixel(screen, corner.x, corner.y);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), background) << "client background";
  ASSERT_EQ(96, dpi) << "the sizes below are for 96 dpi";
  RECT outer = {};
  GetWindowRect(window, &outer);
  EXPECT_EQ(388, Width(outer));
  EXPECT_EQ(150, Height(outer));
  EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (outer.left + outer.right) / 2, 2);
  EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (outer.top + outer.bottom) / 2, 2);

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "a sizing border";
  EXPECT_FALSE(style & WS_MINIMIZEBOX) << "a minimise button";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "a maximise button";
  EXPECT_TRUE(style & WS_SYSMENU) << "no system menu";
  EXPECT_EQ(WS_CAPTION, style & WS_CAPTION) << "no title bar";
}

TEST_F(Window, ProgramWithNothingChosen_SaysADeviceIsRequiredOverTheDisabledWindow) {
  const RunObservation run = app->PressProgram(kInputCheckTimeoutMs, Screenshot());
  ExpectBoxes(run, {Information(kDeviceRequired)});
  EXPECT_TRUE(run.boxes.empty() || !run.boxes[0].inputs_enabled_when_shown)
      << "controls were enabled while the message was up";
  ExpectIdleWindow(*app);
  ExpectNoAdapterOpened(app.Log());
}

TEST_F(Window, ProgramWithoutARomFile_SaysSoOnTwoLines) {
  app->ChooseDevice(0);
  const RunObservation run = app->PressProgram(kInputCheckTimeoutMs, Screenshot());
  ExpectBoxes(run, {Information(kRomFileRequired)});
  if (run.boxes.size() == 1) {
    EXPECT_GE(run.boxes[0].text_height, kTwoLinesHeight) << "the two-line message on one line";
  }
  ExpectIdleWindow(*app);
  ExpectNoAdapterOpened(app.Log());
}

// The first dialog takes a bare name from the working folder; the next opens in the folder of the
// file chosen last, whether a folder was entered or the dialog cancelled in between; the name of a
// file that does not exist is taken as typed (the run reports it, as the unit tests show).
TEST_F(Window, FileDialog_FollowsTheChosenFilesFolder) {
  WriteRom(L"first.ROM", 1);
  WriteRom(L"roms\\sample.ROM", 2);
  WriteRom(L"roms\\other.ROM", 3);
  app->ChooseFile(L"first.ROM");
  EXPECT_EQ(app.Path(L"first.ROM"), app->SelectedFilePath())
      << "a name typed in the first dialog is not taken from the working directory";
  app->ChooseFileInFolder(L"roms", L"sample.ROM");
  EXPECT_EQ(app.Path(L"roms\\sample.ROM"), app->SelectedFilePath()) << "chosen path";
  app->CancelFileDialog();
  EXPECT_EQ(app.Path(L"roms\\sample.ROM"), app->SelectedFilePath()) << "path after Cancel";
  app->ChooseFile(L"other.ROM");
  EXPECT_EQ(app.Path(L"roms\\other.ROM"), app->SelectedFilePath())
      << "the next dialog does not open in the folder of the chosen file";
  EXPECT_TRUE(IsWindowVisible(app->controls().SelectedFile)) << "SelectedFile hidden";
  app->ChooseFile(app.Path(L"roms\\missing.ROM"));
  EXPECT_EQ(app.Path(L"roms\\missing.ROM"), app->SelectedFilePath()) << "a missing file typed";
}

}  // namespace

}  // namespace e2e
