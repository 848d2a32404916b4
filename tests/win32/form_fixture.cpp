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

trv::StatusResult HookedDriver::QB_CreateDeviceInfoList(std::uint32_t* count) {
  Before("QB_CreateDeviceInfoList");
  return inner_.QB_CreateDeviceInfoList(count);
}

trv::StatusResult HookedDriver::QB_GetDeviceInfoList(trv::AdapterInfoRecord* records,
                                                     std::uint32_t* count) {
  Before("QB_GetDeviceInfoList");
  return inner_.QB_GetDeviceInfoList(records, count);
}

trv::StatusResult HookedDriver::QB_OpenEx(const char* description, std::uint32_t flags,
                                          trv::AdapterHandle* handle) {
  Before("QB_OpenEx");
  return inner_.QB_OpenEx(description, flags, handle);
}

trv::StatusResult HookedDriver::QB_Close(trv::AdapterHandle handle) {
  Before("QB_Close");
  return inner_.QB_Close(handle);
}

trv::StatusResult HookedDriver::QB_SetBitMode(trv::AdapterHandle handle, std::uint8_t mask,
                                              std::uint8_t mode) {
  Before("QB_SetBitMode");
  return inner_.QB_SetBitMode(handle, mask, mode);
}

trv::StatusResult HookedDriver::QB_SetRts(trv::AdapterHandle handle) {
  Before("QB_SetRts");
  return inner_.QB_SetRts(handle);
}

trv::StatusResult HookedDriver::QB_SetDtr(trv::AdapterHandle handle) {
  Before("QB_SetDtr");
  return inner_.QB_SetDtr(handle);
}

trv::StatusResult HookedDriver::QB_SetBaudRate(trv::AdapterHandle handle, std::uint32_t baud) {
  Before("QB_SetBaudRate");
  return inner_.QB_SetBaudRate(handle, baud);
}

trv::StatusResult HookedDriver::QB_SetDataCharacteristics(trv::AdapterHandle handle,
                                                          std::uint8_t word_length,
                                                          std::uint8_t stop_bits,
                                                          std::uint8_t parity) {
  Before("QB_SetDataCharacteristics");
  return inner_.QB_SetDataCharacteristics(handle, word_length, stop_bits, parity);
}

trv::StatusResult HookedDriver::QB_SetFlowControl(trv::AdapterHandle handle, std::uint16_t flow,
                                                  std::uint8_t xon, std::uint8_t xoff) {
  Before("QB_SetFlowControl");
  return inner_.QB_SetFlowControl(handle, flow, xon, xoff);
}

trv::StatusResult HookedDriver::QB_SetTimeouts(trv::AdapterHandle handle, std::uint32_t read_ms,
                                               std::uint32_t write_ms) {
  Before("QB_SetTimeouts");
  return inner_.QB_SetTimeouts(handle, read_ms, write_ms);
}

trv::StatusResult HookedDriver::QB_GetQueueStatus(trv::AdapterHandle handle,
                                                  std::uint32_t* waiting) {
  Before("QB_GetQueueStatus");
  return inner_.QB_GetQueueStatus(handle, waiting);
}

trv::StatusResult HookedDriver::QB_Read(trv::AdapterHandle handle, void* buffer,
                                        std::uint32_t count, std::uint32_t* read) {
  Before("QB_Read");
  return inner_.QB_Read(handle, buffer, count, read);
}

trv::StatusResult HookedDriver::QB_Write(trv::AdapterHandle handle, const void* buffer,
                                         std::uint32_t count, std::uint32_t* written) {
  Before("QB_Write");
  return inner_.QB_Write(handle, buffer, count, written);
}

FormFixture::QueueDrain::~QueueDrain() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

FormFixture::FormFixture(trv::sim::SimConfig config) : driver(clock, std::move(config)) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  form.Create(GetModuleHandleW(nullptr), SW_HIDE);
  window = form.handle();
  // The controls in their creation order.
  label1 = GetWindow(window, GW_CHILD);
  selected_file = GetWindow(label1, GW_HWNDNEXT);
  label2 = GetWindow(selected_file, GW_HWNDNEXT);
  combo_box = GetWindow(label2, GW_HWNDNEXT);
  open_button = GetWindow(combo_box, GW_HWNDNEXT);
  program_button = GetWindow(open_button, GW_HWNDNEXT);
  progress_bar = GetWindow(program_button, GW_HWNDNEXT);
}

void FormFixture::OpenAdapter() {
  state->adapter.open =
      driver.QB_OpenEx(trv::sim::kDefaultAdapterDescription, trv::kOpenByDescription,
                       &state->adapter.handle) == trv::kStatusOk;
}

void FormFixture::OpenDeviceList() {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo_box), CBN_DROPDOWN),
               reinterpret_cast<LPARAM>(combo_box));
}

void FormFixture::Program(const std::wstring& device, const std::wstring& path) {
  SetWindowTextW(combo_box, device.c_str());
  form.SetSelectedFileCaption(path);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(program_button), BN_CLICKED),
               reinterpret_cast<LPARAM>(program_button));
}

std::vector<std::wstring> FormFixture::DeviceItems() const {
  std::vector<std::wstring> items;
  const auto count = static_cast<int>(SendMessageW(combo_box, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t item[128] = L"";
    SendMessageW(combo_box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    items.push_back(item);
  }
  return items;
}

RECT FormFixture::BoundsInClient(HWND control) const {
  RECT bounds;
  GetWindowRect(control, &bounds);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
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

int FormFixture::Scale(int pixels) const {
  const trv::ui::WindowDc dc(window);
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
  return MulDiv(pixels, dpi, 96);
}

bool FormFixture::InputsEnabled() const {
  return IsWindowEnabled(combo_box) && IsWindowEnabled(open_button) &&
         IsWindowEnabled(program_button);
}

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

std::vector<unsigned char> RomImage() {
  std::vector<unsigned char> bytes(trv::kRomImageSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
  }
  return bytes;
}

}  // namespace ui_test
