#include "ui/program_start.h"

// The common controls declarations build on the definitions above.
#include <commctrl.h>
#include <objbase.h>

#include "common/operator_texts.h"
#include "win32/entry_points.h"
#include "win32/library_search.h"

namespace trv::ui {
namespace {

void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
}

// The manifest asks for per-monitor awareness; this covers a system that read the manifest
// without it. Where the manifest already took effect the call is refused, which is harmless.
void PreferPerMonitorDpiAwareness() {
  const auto set_context =
      win32::OptionalEntry<BOOL(WINAPI*)(HANDLE)>(L"user32.dll", "SetProcessDpiAwarenessContext");
  const auto per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (set_context != nullptr) {
    set_context(per_monitor_v2);
  }
}

}  // namespace

void PrepareProcess() {
  win32::RestrictLibrarySearch();
  InitialiseCommonControls();
  PreferPerMonitorDpiAwareness();
}

ComApartment::ComApartment()
    : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
  if (started_) {
    CoUninitialize();
  }
}

int RunMessageLoop(const std::function<bool(MSG*)>& dialog_message) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!dialog_message(&message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : kExitWindowUnavailable;
}

// The texts are ASCII, so the narrow call shows them without a conversion that could fail too.
int StartGuarded(const char* title, const std::function<int()>& start) {
  try {
    return start();
  } catch (...) {
    MessageBoxA(nullptr, texts::kUnexpectedErrorMessage, title, MB_OK | MB_ICONERROR);
    return kExitUnexpectedError;
  }
}

}  // namespace trv::ui
