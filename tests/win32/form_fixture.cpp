#include "form_fixture.h"

#include <commctrl.h>

#include <algorithm>

#include "common/shared_types.h"
#include "ui/gdi_guards.h"

namespace ui_test {

BoxWatcher* BoxWatcher::current_ = nullptr;

BoxWatcher::BoxWatcher() {
  current_ = this;
  timer_ = SetTimer(nullptr, 0, 20, &BoxWatcher::OnTimer);
}

BoxWatcher::~BoxWatcher() {
  KillTimer(nullptr, timer_);
  current_ = nullptr;
}

void CALLBACK BoxWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), &BoxWatcher::Dismiss, 0);
}

BOOL CALLBACK BoxWatcher::Dismiss(HWND window, LPARAM) {
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
  if (current_->on_box) {
    current_->on_box(box);
  }
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

FormFixture::QueueDrain::~QueueDrain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

FormFixture::FormFixture(trv::sim::SimConfig config) : driver(clock, std::move(config)) {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);
  form.Create(GetModuleHandleW(nullptr), SW_HIDE);
  controls.Form1 = form.handle();
  HWND next = GetWindow(controls.Form1, GW_CHILD);
  for (HWND* control :
       {&controls.Label1, &controls.SelectedFile, &controls.Label2, &controls.ComboBox1,
        &controls.OpenButton, &controls.ProgramButton, &controls.ProgressBar1}) {
    *control = next;
    next = GetWindow(next, GW_HWNDNEXT);
  }
}

void FormFixture::OpenAdapter() {
  state->adapter.open =
      driver.QB_OpenEx(trv::sim::kDefaultAdapterDescription, trv::kOpenByDescription,
                       &state->adapter.handle) == trv::kStatusOk;
}

void FormFixture::OpenDeviceList() {
  SendMessageW(controls.Form1, WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(controls.ComboBox1), CBN_DROPDOWN),
               reinterpret_cast<LPARAM>(controls.ComboBox1));
}

void FormFixture::Program(const std::wstring& device, const std::wstring& path) {
  SetWindowTextW(controls.ComboBox1, device.c_str());
  form.SetSelectedFileCaption(path);
  SendMessageW(controls.Form1, WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(controls.ProgramButton), BN_CLICKED),
               reinterpret_cast<LPARAM>(controls.ProgramButton));
}

std::vector<std::wstring> FormFixture::DeviceItems() const {
  std::vector<std::wstring> items;
  const auto count = static_cast<int>(SendMessageW(controls.ComboBox1, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t item[128] = L"";
    SendMessageW(controls.ComboBox1, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    items.push_back(item);
  }
  return items;
}

RECT FormFixture::BoundsInClient(HWND control) const {
  RECT bounds;
  GetWindowRect(control, &bounds);
  MapWindowPoints(nullptr, controls.Form1, reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

SIZE FormFixture::TextSize(HWND control, const std::wstring& text, int width) const {
  RECT bounds{0, 0, width, 0};
  const trv::ui::WindowDc dc(control);
  const trv::ui::SelectedObject font(
      dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  const UINT lines = width > 0 ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
  DrawTextW(dc.get(), text.c_str(), -1, &bounds, DT_CALCRECT | DT_NOPREFIX | lines);
  return SIZE{bounds.right, bounds.bottom};
}

bool FormFixture::InputsEnabled() const {
  return IsWindowEnabled(controls.ComboBox1) && IsWindowEnabled(controls.OpenButton) &&
         IsWindowEnabled(controls.ProgramButton);
}

std::optional<int> DispatchUntilQuit() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      return static_cast<int>(message.wParam);
    }
    DispatchMessageW(&message);
  }
  return std::nullopt;
}

}  // namespace ui_test
