#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"
#include "ui/win32_rom_file.h"
#include "ui/win32_text.h"
#include "ui_test.h"

namespace {

trv::sim::SimConfig Adapters(std::vector<std::string> descriptions) {
  trv::sim::SimConfig config;
  config.adapters = std::move(descriptions);
  return config;
}

struct SeenBox {
  HWND window;
  std::wstring caption;
  std::wstring text;
  RECT bounds;
};

// Records and dismisses every message box that comes up on this thread while it exists. Its
// timer runs inside the box's own message loop.
class BoxWatcher {
 public:
  BoxWatcher() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, &BoxWatcher::OnTimer);
  }
  ~BoxWatcher() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  std::vector<SeenBox> boxes;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &BoxWatcher::Dismiss, 0);
  }
  static BOOL CALLBACK Dismiss(HWND window, LPARAM) {
    wchar_t window_class[16] = L"";
    GetClassNameW(window, window_class, 16);
    const auto seen = std::find_if(current_->boxes.begin(), current_->boxes.end(),
                                   [&](const SeenBox& box) { return box.window == window; });
    if (std::wstring(window_class) != L"#32770" || !IsWindowVisible(window) ||
        seen != current_->boxes.end()) {
      return TRUE;
    }
    wchar_t caption[256] = L"";
    wchar_t text[256] = L"";
    GetWindowTextW(window, caption, 256);
    GetDlgItemTextW(window, 0xFFFF, text, 256);  // the box's message
    SeenBox box{window, caption, text, {}};
    GetWindowRect(window, &box.bounds);
    current_->boxes.push_back(box);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }

  static BoxWatcher* current_;
  UINT_PTR timer_;
};
BoxWatcher* BoxWatcher::current_ = nullptr;

// One window on the simulated adapter, hidden (showing and hiding windows is slow without a window
// manager); anything it posted for the thread is cleared away after it.
struct FormFixture {
  struct QueueDrain {
    ~QueueDrain() {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      }
    }
  } drain;
  trv::sim::VirtualClock clock;
  trv::sim::SimulatedAdapter driver;
  trv::ui::Win32RomFileSystem files;
  std::unique_ptr<trv::ProgrammerState> state = std::make_unique<trv::ProgrammerState>();
  trv::ui::TForm1 form{driver, clock, files, *state};
  // Any box that comes up is recorded and dismissed, so no test waits for an operator.
  BoxWatcher watcher;
  HWND window = nullptr;
  HWND combo_box = nullptr;
  HWND selected_file = nullptr;

  explicit FormFixture(trv::sim::SimConfig config = {}) : driver(clock, std::move(config)) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    form.Create(GetModuleHandleW(nullptr), SW_HIDE);
    window = form.handle();
    combo_box = FindWindowExW(window, nullptr, WC_COMBOBOXW, nullptr);
    selected_file = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDNEXT);
  }

  // As a programming run leaves it when the window closes in the middle.
  void OpenAdapter() {
    state->adapter.open =
        driver.QB_OpenEx(trv::sim::kDefaultAdapterDescription, trv::kOpenByDescription,
                         &state->adapter.handle) == trv::kStatusOk;
  }

  // As the combo box reports its list opening.
  void OpenDeviceList() {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo_box), CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(combo_box));
  }
  std::vector<std::wstring> DeviceItems() const {
    std::vector<std::wstring> items;
    const auto count = static_cast<int>(SendMessageW(combo_box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t item[128] = L"";
      SendMessageW(combo_box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      items.push_back(item);
    }
    return items;
  }
  RECT BoundsInClient(HWND control) const {
    RECT bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
  }
  int Scale(int pixels) const {
    HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return MulDiv(pixels, dpi, 96);
  }
};

// Dispatches what is queued, as the message loop would; true with its code if a quit was among it.
bool DispatchUntilQuit(int* code) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      *code = static_cast<int>(message.wParam);
      return true;
    }
    DispatchMessageW(&message);
  }
  return false;
}

}  // namespace

UI_TEST(Form_LongPathWithoutSpaces_WrapsWithinTheFixedWidth) {
  FormFixture fixture;
  const std::wstring long_path = L"C:\\" + std::wstring(160, L'x') + L"\\image.ROM";
  fixture.form.SetSelectedFileCaption(long_path);
  RECT bounds = fixture.BoundsInClient(fixture.selected_file);
  UI_EXPECT_EQ(fixture.Scale(257), bounds.right - bounds.left);
  UI_EXPECT(bounds.bottom - bounds.top >= 2 * fixture.Scale(13));

  fixture.form.SetSelectedFileCaption(L"C:\\a.ROM");
  bounds = fixture.BoundsInClient(fixture.selected_file);
  UI_EXPECT_EQ(fixture.Scale(13), bounds.bottom - bounds.top);
}

UI_TEST(Form_RomFilePath_KeepsEveryCharacterAndAmpersands) {
  FormFixture fixture;
  const std::wstring path = L"C:\\R\u00f6m & \u4e2d\\a&&b.ROM";
  fixture.form.SetSelectedFileCaption(path);
  UI_EXPECT(fixture.form.RomFilePath() == trv::ui::Utf8FromWide(path));
}

UI_TEST(Form_Label2_GrowsForALongerHeading) {
  FormFixture fixture;
  const HWND label2 = GetWindow(fixture.selected_file, GW_HWNDNEXT);
  fixture.form.SetLabel2Caption("Programming Flash:");
  const RECT bounds = fixture.BoundsInClient(label2);
  HDC dc = GetDC(label2);
  const HGDIOBJ font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label2, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32W(dc, L"Programming Flash:", 18, &text);
  SelectObject(dc, font);
  ReleaseDC(label2, dc);
  UI_EXPECT(bounds.right - bounds.left >= text.cx);
}

UI_TEST(Form_DeviceList_ListsEveryDescriptionInOrderEachTime) {
  FormFixture fixture(Adapters({"QB USB Serial Adapter", "Twin", "Twin", "Caf\xe9"}));
  SetWindowTextW(fixture.combo_box, L"typed");
  fixture.OpenDeviceList();
  fixture.OpenDeviceList();
  const std::vector<std::wstring> expected = {L"QB USB Serial Adapter", L"Twin", L"Twin",
                                              trv::ui::WideFromAnsi("Caf\xe9")};
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
