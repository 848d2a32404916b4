// Start-up: binds the driver library, creates the window and runs its message loop.
#include <windows.h>
// The common controls declarations build on the definitions above.
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "common/operator_texts.h"
#include "common/system_clock.h"
#include "programming/programming_run.h"
#include "ui/main_window.h"
#include "win32/entry_points.h"
#include "win32/library_search.h"
#include "win32/qblink_library.h"
#include "win32/win32_rom_file.h"
#include "win32/win32_text.h"

namespace {

constexpr int kExitDriverUnavailable = 1;
constexpr int kExitWindowUnavailable = 2;
constexpr int kExitUnexpectedError = 3;

void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
}

// The manifest asks for per-monitor awareness; this covers a system that read the manifest
// without it. Where the manifest already took effect the call is refused, which is harmless.
void PreferPerMonitorDpiAwareness() {
  const auto set_context = trv::win32::OptionalEntry<BOOL(WINAPI*)(HANDLE)>(
      L"user32.dll", "SetProcessDpiAwarenessContext");
  const auto per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (set_context != nullptr) {
    set_context(per_monitor_v2);
  }
}

// COM on the window's thread, as a single-threaded apartment, for as long as the window lives: the
// names the screen readers give the controls come through it.
class ComApartment {
 public:
  ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (started_) {
      CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool started_;
};

int RunMessageLoop(trv::ui::TForm1& form) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!form.HandleDialogMessage(&message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : kExitWindowUnavailable;
}

int Run(HINSTANCE instance, int show_command) {
  std::wstring problem;
  const auto driver = trv::win32::QblinkLibrary::Load(trv::win32::kDriverLibraryName, &problem);
  if (driver == nullptr) {
    MessageBoxW(nullptr, problem.c_str(),
                trv::win32::WideFromUtf8(trv::texts::kApplicationTitle).c_str(),
                MB_OK | MB_ICONERROR);
    return kExitDriverUnavailable;
  }

  const ComApartment com;
  // The program-wide state lives here, for as long as the window does.
  const auto state = std::make_unique<trv::ProgrammerState>();
  trv::SystemClock clock;
  trv::win32::Win32RomFileSystem files;
  trv::ui::SystemWindowServices services;
  trv::ui::TForm1 form(*driver, clock, files, services, *state);
  if (!form.Create(instance, show_command)) {
    return kExitWindowUnavailable;
  }
  return RunMessageLoop(form);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  trv::win32::RestrictLibrarySearch();
  InitialiseCommonControls();
  PreferPerMonitorDpiAwareness();
  // The window's handlers catch their own failures; this is for those of the start itself. The
  // texts are ASCII, so the narrow call shows them without a conversion that could fail too.
  try {
    return Run(instance, show_command);
  } catch (...) {
    MessageBoxA(nullptr, trv::texts::kUnexpectedErrorMessage, trv::texts::kApplicationTitle,
                MB_OK | MB_ICONERROR);
    return kExitUnexpectedError;
  }
}
