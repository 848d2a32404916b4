#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "checks.h"
#include "expected_texts.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

namespace {

// A description of the full 64 characters, which the driver's record holds without a zero byte.
constexpr wchar_t kLongestAdapter[] =
    L"Adapter description of exactly sixty-four characters, no NUL 064";
static_assert(sizeof kLongestAdapter / sizeof(wchar_t) == 65, "64 characters");
// A message box whose text takes two lines is at least this high, in pixels.
constexpr int kTwoLinesHeight = 24;

struct ControlLayout {
  const char* name;
  HWND window;
  RECT expected;  // left, top, right, bottom in client coordinates
  const wchar_t* caption;
  bool visible;
};

std::string Describe(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
         std::to_string(Width(rect)) + " x " + std::to_string(Height(rect));
}

RECT At(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

void CheckFrame(Scenario& s, HWND window) {
  HDC screen = GetDC(nullptr);
  const int dots_per_inch = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  s.Check(dots_per_inch == 96, "the screen has " + std::to_string(dots_per_inch) +
                                   " dpi: the sizes below are for 96 dpi");
  RECT outer = {};
  GetWindowRect(window, &outer);
  s.Check(Width(outer) == 388 && Height(outer) == 150,
          "outer size " + std::to_string(Width(outer)) + " x " + std::to_string(Height(outer)) +
              ", want 388 x 150");
  const int screen_centre_x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int screen_centre_y = GetSystemMetrics(SM_CYSCREEN) / 2;
  s.Check(std::abs((outer.left + outer.right) / 2 - screen_centre_x) <= 2 &&
              std::abs((outer.top + outer.bottom) / 2 - screen_centre_y) <= 2,
          "window at " + Describe(outer) + " is not centred on the screen");

  const LONG style = GetWindowLongW(window, GWL_STYLE);
  s.Check(!(style & WS_THICKFRAME), "the window has a sizing border (WS_THICKFRAME)");
  s.Check(!(style & WS_MINIMIZEBOX), "the window has a minimise button");
  s.Check(!(style & WS_MAXIMIZEBOX), "the window has a maximise button");
  s.Check((style & WS_SYSMENU) != 0, "the window has no system menu");
  s.Check((style & WS_CAPTION) == WS_CAPTION, "the window has no title bar");

  // An empty corner of the client area shows the background colour.
  RECT client = {};
  GetClientRect(window, &client);
  POINT corner = {client.right - 6, client.bottom - 6};
  ClientToScreen(window, &corner);
  screen = GetDC(nullptr);
  const COLORREF background = GetPixel(screen, corner.x, corner.y);
  ReleaseDC(nullptr, screen);
  s.Check(background == GetSysColor(COLOR_BTNFACE),
          "client background is not the button-face colour");
}

void CheckControls(Scenario& s, const ProgrammerProcess& app) {
  const MainControls& c = app.controls();
  const ControlLayout layout[] = {
      {"Label1", c.Label1, At(16, 16, 77, 13), kDeviceLabel, true},
      {"SelectedFile", c.SelectedFile, At(16, 72, 257, 13), L"", true},
      {"Label2", c.Label2, At(16, 59, 64, 13), kIdleHeading, true},
      {"ComboBox1", c.ComboBox1, At(16, 32, 257, 21), L"", true},
      {"OpenButton", c.OpenButton, At(288, 32, 75, 25), kOpenButtonCaption, true},
      {"ProgramButton", c.ProgramButton, At(288, 64, 75, 25), kProgramButtonCaption, true},
      {"ProgressBar1", c.ProgressBar1, At(16, 80, 257, 16), L"", false},
  };
  std::vector<HWND> creation_order;
  for (const ControlLayout& control : layout) {
    const RECT actual = RectIn(control.window, app.window());
    s.Check(EqualRect(&actual, &control.expected), std::string(control.name) + " at " +
                                                       Describe(actual) + ", want " +
                                                       Describe(control.expected));
    s.CheckText(TextOf(control.window), control.caption, std::string(control.name) + " caption");
    s.Check(bool(IsWindowVisible(control.window)) == control.visible,
            std::string(control.name) + (control.visible ? " hidden" : " shown") + " at start");
    creation_order.push_back(control.window);
  }
  s.Check(app.InputsEnabled(), "controls disabled at start");
  s.Check((GetWindowLongW(c.ComboBox1, GWL_STYLE) & 3) == CBS_DROPDOWN,
          "ComboBox1 is not an editable drop-down combo box");
  s.Check(SendBounded(c.ComboBox1, CB_GETCOUNT, 0, 0) == 0, "ComboBox1 has items at start");
  const LRESULT item_height = SendBounded(c.ComboBox1, CB_GETITEMHEIGHT, 0, 0);
  s.Check(item_height == 13, "ComboBox1 item height " + std::to_string(item_height) + ", want 13");
  const LRESULT low = SendBounded(c.ProgressBar1, PBM_GETRANGE, TRUE, 0);
  const LRESULT high = SendBounded(c.ProgressBar1, PBM_GETRANGE, FALSE, 0);
  s.Check(low == 0 && high == 65536, "progress range " + std::to_string(low) + ".." +
                                         std::to_string(high) + ", want 0..65536");

  s.Check(ChildrenInZOrder(app.window()) == creation_order,
          "controls not in the order Label1, SelectedFile, Label2, ComboBox1, OpenButton, "
          "ProgramButton, ProgressBar1");
  std::vector<HWND> tab_stops;
  for (HWND child : ChildrenInZOrder(app.window())) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) {
      tab_stops.push_back(child);
    }
  }
  const std::vector<HWND> tab_order = {c.ComboBox1, c.OpenButton, c.ProgramButton};
  std::vector<HWND> with_bar = tab_order;
  with_bar.push_back(c.ProgressBar1);
  s.Check(tab_stops == tab_order || tab_stops == with_bar,
          "tab stops are not ComboBox1, OpenButton, ProgramButton(, ProgressBar1) in that order");
  s.Check(GetNextDlgTabItem(app.window(), c.ComboBox1, FALSE) == c.OpenButton &&
              GetNextDlgTabItem(app.window(), c.OpenButton, FALSE) == c.ProgramButton,
          "Tab from ComboBox1 does not go to OpenButton and then ProgramButton");
}

void WriteRom(const Instance& app, const std::wstring& name, std::uint32_t seed) {
  WriteWholeFile(app.Path(name), RomImage(kRomSize, seed));
}

}  // namespace

void WindowScenarios(Suite& suite) {
  if (!suite.Wants("window")) {
    return;
  }
  Instance app;
  const std::wstring roms = suite.Folder("window") + L"\\roms";

  suite.Run("window_layout", [&](Scenario& s) {
    app = suite.Start(
        "window", {{L"QBSIM_ADAPTERS",
                    std::wstring(kDefaultAdapter) + L"|Twin Port|Twin Port|" + kLongestAdapter}});
    MakeFolders(roms);
    ExpectWindowsVersion(s, app.Log(), "QBSIM Windows 6.1 ");
    CheckFrame(s, app->window());
    CheckControls(s, *app);
    SaveScreenAsBmp(suite.ScreenshotPath("window_layout"));
  });

  suite.Run("program_with_nothing_chosen", [&](Scenario& s) {
    app.RequireRunning();
    const RunObservation run = app->PressProgram(
        kInputCheckTimeoutMs, suite.ScreenshotPath("program_with_nothing_chosen"));
    ExpectBoxes(s, run, {Information(kDeviceRequired)});
    s.Check(run.boxes.empty() || !run.boxes[0].inputs_enabled_when_shown,
            "controls were enabled while the message was up");
    ExpectIdleWindow(s, *app);
    ExpectNoAdapterOpened(s, app.Log());
  });

  suite.Run("device_list", [&](Scenario& s) {
    app.RequireRunning();
    const std::vector<std::wstring> expected = {kDefaultAdapter, L"Twin Port", L"Twin Port",
                                                kLongestAdapter};
    app->OpenDeviceList();
    s.Check(app->OpenMessageBoxes().empty(), "a message box came up on opening the list");
    s.Check(app->DeviceItems() == expected,
            "items are not \"QB USB Serial Adapter\", \"Twin Port\", \"Twin Port\" and the "
            "64-character description, in order");
    SaveScreenAsBmp(suite.ScreenshotPath("device_list"));
    SendBounded(app->controls().ComboBox1, CB_SETCURSEL, 2, 0);
    app->CloseDeviceList();
    s.CheckText(app->DeviceText(), L"Twin Port", "the chosen item's text");
  });

  suite.Run("program_without_rom_file", [&](Scenario& s) {
    app.RequireRunning();
    const RunObservation run =
        app->PressProgram(kInputCheckTimeoutMs, suite.ScreenshotPath("program_without_rom_file"));
    ExpectBoxes(s, run, {Information(kRomFileRequired)});
    s.Check(run.boxes.size() != 1 || run.boxes[0].text_height >= kTwoLinesHeight,
            "the two-line message is shown on one line");
    ExpectIdleWindow(s, *app);
    ExpectNoAdapterOpened(s, app.Log());
  });

  suite.Run("file_selection", [&](Scenario& s) {
    app.RequireRunning();
    WriteRom(app, L"first.ROM", 1);
    WriteRom(app, L"roms\\sample.ROM", 2);
    WriteRom(app, L"roms\\other.ROM", 3);
    app->ChooseFile(L"first.ROM");
    s.CheckText(app->SelectedFilePath(), app.Path(L"first.ROM"),
                "a name typed in the first dialog is not taken from the working directory");
    app->ChooseFileInFolder(L"roms", L"sample.ROM");
    s.CheckText(app->SelectedFilePath(), app.Path(L"roms\\sample.ROM"), "chosen path");
    app->CancelFileDialog();
    s.CheckText(app->SelectedFilePath(), app.Path(L"roms\\sample.ROM"), "path after Cancel");
    app->ChooseFile(L"other.ROM");
    s.CheckText(app->SelectedFilePath(), app.Path(L"roms\\other.ROM"),
                "the next dialog does not open in the folder of the chosen file");
    s.Check(IsWindowVisible(app->controls().SelectedFile), "SelectedFile hidden");
    SaveScreenAsBmp(suite.ScreenshotPath("file_selection"));
  });

  suite.Run("missing_rom_file", [&](Scenario& s) {
    app.RequireRunning();
    const std::wstring missing = app.Path(L"roms\\missing.ROM");
    app->ChooseFile(missing);
    s.CheckText(app->SelectedFilePath(), missing, "a typed name of a missing file");
    const RunObservation run =
        app->PressProgram(kInputCheckTimeoutMs, suite.ScreenshotPath("missing_rom_file"));
    ExpectBoxes(s, run, {ErrorReport(kFileNotFound)});
    ExpectIdleWindow(s, *app);
    ExpectNoAdapterOpened(s, app.Log());
  });

  suite.Run("close_when_idle", [&](Scenario& s) {
    app.RequireRunning();
    s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    const auto log = app.Log();
    s.Check(CountLines(log, "QB_Close") == 0, "QB_Close called with no adapter open");
  });
}

}  // namespace e2e
