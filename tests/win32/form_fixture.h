// The main window on the simulated adapter and a virtual clock, for the tests of the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"
#include "support/hooked_driver.h"
#include "ui/form_controls.h"
#include "ui/main_window.h"
#include "ui/window_services.h"
#include "win32/win32_rom_file.h"

namespace ui_test {

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
  BoxWatcher();
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  std::vector<SeenBox> boxes;
  // Called for each box as it is seen, before it is dismissed.
  std::function<void(const SeenBox&)> on_box;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK Dismiss(HWND window, LPARAM);

  static BoxWatcher* current_;
  UINT_PTR timer_;
};

using HookedDriver = trv::test::HookedDriver;

// What the window asks of the services Wine only stubs, as "<window> <reason>" for a reason for
// holding up the session's end, "<window>" for one taken back, "<control> <name>" for a name given
// to a control for screen readers.
struct RecordingServices final : trv::ui::WindowServices {
  std::vector<std::wstring> session_end;
  std::vector<std::wstring> names;

  static std::wstring Id(HWND window) {
    return std::to_wstring(reinterpret_cast<std::uintptr_t>(window));
  }
  void BlockSessionEnd(HWND window, const std::wstring& reason) override {
    session_end.push_back(Id(window) + L" " + reason);
  }
  void UnblockSessionEnd(HWND window) override { session_end.push_back(Id(window)); }
  void NameForScreenReaders(HWND control, const std::wstring& name) override {
    names.push_back(Id(control) + L" " + name);
  }
};

// One window on the simulated adapter, hidden unless a test shows it (showing and hiding windows
// is slow without a window manager); anything it posted for the thread is cleared away after it.
struct FormFixture {
  struct QueueDrain {
    ~QueueDrain();
  } drain;
  trv::sim::VirtualClock clock;
  trv::sim::SimulatedAdapter driver;
  HookedDriver hooked{driver};
  trv::win32::Win32RomFileSystem files;
  RecordingServices services;
  std::unique_ptr<trv::ProgrammerState> state = std::make_unique<trv::ProgrammerState>();
  trv::ui::TForm1 form{hooked, clock, files, services, *state};
  // Any box that comes up is recorded and dismissed, so no test waits for an operator.
  BoxWatcher watcher;
  // Taken in the order the controls were created (their z-order): a control out of order shows
  // in the tests as another's caption and place.
  trv::ui::FormControls controls;

  explicit FormFixture(trv::sim::SimConfig config = {});

  // As a programming run leaves it when the window closes in the middle.
  void OpenAdapter();
  // As the combo box reports its list opening.
  void OpenDeviceList();
  // As the operator presses "Program" with `device` chosen and the file `path`.
  void Program(const std::wstring& device, const std::wstring& path);
  std::vector<std::wstring> DeviceItems() const;
  RECT BoundsInClient(HWND control) const;
  // The size of `text` in `control`'s font: on one line, or broken into lines within `width` as
  // the path label breaks them.
  SIZE TextSize(HWND control, const std::wstring& text, int width = 0) const;
  bool InputsEnabled() const;
};

// Dispatches what is queued, as the message loop would; the code of a quit that was among it.
std::optional<int> DispatchUntilQuit();

}  // namespace ui_test
