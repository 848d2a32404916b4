#include "remote_operator/remote_process.h"

#include <algorithm>
#include <stdexcept>

#include "remote_operator/screen_capture.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {

namespace {

// Control ids of the file name field in the file dialogs (combo box or plain edit), and of their
// "Look in" list, which names the folder shown.
constexpr int kFileNameComboId = 0x47c;
constexpr int kFileNameEditId = 0x480;
constexpr int kLookInComboId = 0x471;

std::wstring EnvironmentBlock(const EnvironmentOverrides& overrides) {
  std::wstring block;
  LPWCH inherited = GetEnvironmentStringsW();
  for (LPWCH entry = inherited; *entry; entry += lstrlenW(entry) + 1) {
    if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, entry, 6, L"QBSIM_", 6) == CSTR_EQUAL) {
      continue;
    }
    block += entry;
    block.push_back(L'\0');
  }
  FreeEnvironmentStringsW(inherited);
  for (const auto& [name, value] : overrides) {
    block += name + L"=" + value;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

bool IsEditingClass(HWND window) {
  return HasClass(window, L"Edit") || HasClass(window, L"ComboBox") ||
         HasClass(window, L"ComboBoxEx32") || HasClass(window, L"SysListView32");
}

bool IsFileDialog(HWND window) {
  if (!HasClass(window, L"#32770")) {
    return false;
  }
  const auto children = DescendantsOf(window);
  return std::any_of(children.begin(), children.end(), IsEditingClass);
}

HWND FileNameField(HWND dialog) {
  for (HWND child : DescendantsOf(dialog)) {
    const int id = GetDlgCtrlID(child);
    if ((id == kFileNameComboId || id == kFileNameEditId) && IsWindowVisible(child)) {
      return child;
    }
  }
  return nullptr;
}

// The name of the folder the dialog shows, once its view of the folder is up; "" until then.
// Entering a folder replaces the view, so the name alone does not say that the dialog is ready.
std::wstring FolderShown(HWND dialog) {
  HWND look_in = nullptr;
  bool view_up = false;
  for (HWND child : DescendantsOf(dialog)) {
    look_in = GetDlgCtrlID(child) == kLookInComboId ? child : look_in;
    view_up |= HasClass(child, L"SysListView32") && IsWindowVisible(child);
  }
  return look_in && view_up ? TextOf(look_in) : L"";
}

std::wstring LastNameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/") + 1);
}

}  // namespace

RemoteProcess::RemoteProcess(const std::wstring& exe_path, const std::wstring& working_directory,
                             const EnvironmentOverrides& environment) {
  std::wstring command_line = L"\"" + exe_path + L"\"";
  std::wstring block = EnvironmentBlock(environment);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe_path.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, block.data(), working_directory.c_str(), &startup,
                      &process_)) {
    throw std::runtime_error("cannot start " + Narrow(exe_path) + " (error " +
                             std::to_string(GetLastError()) + ")");
  }
}

RemoteProcess::~RemoteProcess() {
  Kill();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool RemoteProcess::Running() const {
  return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool RemoteProcess::WaitForExit(DWORD timeout_ms) {
  return WaitForSingleObject(process_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

void RemoteProcess::Kill() {
  if (Running()) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, kCloseTimeoutMs);
  }
}

void RemoteProcess::WaitForWindow(const std::wstring& title, DWORD timeout_ms) {
  const bool appeared = WaitUntil(timeout_ms, [&] {
    if (!Running()) {
      return true;
    }
    for (HWND candidate : TopLevelWindowsOf(process_id())) {
      if (!HasClass(candidate, L"#32770") && TextOf(candidate) == title) {
        window_ = candidate;
        return true;
      }
    }
    return false;
  });
  if (!window_) {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    throw std::runtime_error(appeared ? "the program ended (exit code " + std::to_string(code) +
                                            ") without showing its window"
                                      : "no window captioned \"" + Narrow(title) + "\" appeared");
  }
}

std::vector<HWND> RemoteProcess::OpenMessageBoxes() const {
  std::vector<HWND> boxes;
  for (HWND candidate : TopLevelWindowsOf(process_id())) {
    if (HasClass(candidate, L"#32770") && !IsFileDialog(candidate)) {
      boxes.push_back(candidate);
    }
  }
  return boxes;
}

std::vector<HWND> RemoteProcess::OpenFileDialogs() const {
  std::vector<HWND> dialogs;
  for (HWND candidate : TopLevelWindowsOf(process_id())) {
    if (IsFileDialog(candidate)) {
      dialogs.push_back(candidate);
    }
  }
  return dialogs;
}

HWND RemoteProcess::WaitForMessageBox(DWORD timeout_ms) const {
  HWND box = nullptr;
  WaitUntil(timeout_ms, [&] {
    const auto boxes = OpenMessageBoxes();
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr || !Running();
  });
  return box;
}

MessageBoxSeen RemoteProcess::ReadMessageBox(HWND box) const {
  MessageBoxSeen seen;
  seen.caption = TextOf(box);
  for (HWND child : DescendantsOf(box)) {
    if (HasClass(child, L"Button")) {
      seen.buttons.push_back(TextOf(child));
    } else if (HasClass(child, L"Static")) {
      const std::wstring text = TextOf(child);
      if (!text.empty()) {
        seen.text += text;
        seen.text_height = Height(RectIn(child, box));
      }
    }
  }
  return seen;
}

void RemoteProcess::DismissMessageBox(HWND box) const {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  if (!WaitUntil(kBoxCloseTimeoutMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
    throw std::runtime_error("a message box did not close when OK was pressed");
  }
}

MessageBoxSeen RemoteProcess::TakeMessageBox(HWND box, const std::wstring& screenshot) const {
  const MessageBoxSeen seen = ReadMessageBox(box);
  if (!screenshot.empty()) {
    SaveScreenAsBmp(screenshot);
  }
  DismissMessageBox(box);
  return seen;
}

std::vector<MessageBoxSeen> RemoteProcess::CollectMessageBoxes(DWORD quiet_ms, DWORD timeout_ms,
                                                               const std::wstring& screenshot) {
  std::vector<MessageBoxSeen> seen;
  const DWORD start = GetTickCount();
  DWORD last_activity = start;
  while (GetTickCount() - last_activity < quiet_ms && GetTickCount() - start < timeout_ms) {
    const auto boxes = OpenMessageBoxes();
    if (boxes.empty()) {
      Sleep(kPollMs);
      continue;
    }
    seen.push_back(TakeMessageBox(boxes.front(), screenshot));
    last_activity = GetTickCount();
  }
  return seen;
}

bool RemoteProcess::DeviceListDropped() const {
  return SendBounded(device_list_, CB_GETDROPPEDSTATE, 0, 0, 0) != 0;
}

void RemoteProcess::OpenDeviceList() {
  // Posted, not sent: the handler may show a modal box before the list drops.
  PostMessageW(device_list_, CB_SHOWDROPDOWN, TRUE, 0);
  if (!WaitUntil(kDropDownTimeoutMs,
                 [&] { return DeviceListDropped() || !OpenMessageBoxes().empty(); })) {
    throw std::runtime_error("the device list did not drop down");
  }
}

void RemoteProcess::CloseDeviceList() {
  PostMessageW(device_list_, CB_SHOWDROPDOWN, FALSE, 0);
  if (!WaitUntil(kDropDownTimeoutMs, [&] { return !DeviceListDropped(); })) {
    throw std::runtime_error("the device list did not close");
  }
}

std::vector<std::wstring> RemoteProcess::DeviceItems() const {
  std::vector<std::wstring> items;
  const LRESULT count = SendBounded(device_list_, CB_GETCOUNT, 0, 0);
  for (LRESULT index = 0; index < count; ++index) {
    const LRESULT length = SendBounded(device_list_, CB_GETLBTEXTLEN, index, 0);
    std::wstring item(size_t(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT copied =
        SendBounded(device_list_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied < 0 ? 0 : size_t(copied));
    items.push_back(item);
  }
  return items;
}

void RemoteProcess::ChooseDevice(int index) {
  OpenDeviceList();
  if (!OpenMessageBoxes().empty()) {
    throw std::runtime_error("a message box came up instead of the device list: " +
                             Printable(ReadMessageBox(OpenMessageBoxes().front()).text));
  }
  const auto items = DeviceItems();
  if (index >= int(items.size())) {
    throw std::runtime_error("the device list has " + std::to_string(items.size()) + " items");
  }
  SendBounded(device_list_, CB_SETCURSEL, WPARAM(index), 0);
  CloseDeviceList();
  if (DeviceText() != items[size_t(index)]) {
    throw std::runtime_error("choosing " + Printable(items[size_t(index)]) + " left the text " +
                             Printable(DeviceText()));
  }
}

std::wstring RemoteProcess::DeviceText() const {
  return TextOf(device_list_);
}

HWND RemoteProcess::ReadyFileDialog() const {
  const auto dialogs = OpenFileDialogs();
  const HWND dialog = dialogs.empty() ? nullptr : dialogs.front();
  return dialog && FileNameField(dialog) && !FolderShown(dialog).empty() ? dialog : nullptr;
}

HWND RemoteProcess::OpenFileDialogBy(HWND button) {
  PostMessageW(button, BM_CLICK, 0, 0);
  HWND dialog = nullptr;
  if (!WaitUntil(kDialogTimeoutMs, [&] { return (dialog = ReadyFileDialog()) != nullptr; })) {
    throw std::runtime_error("no file dialog with a file name field and a folder appeared");
  }
  return dialog;
}

void RemoteProcess::EnterFolder(HWND dialog, const std::wstring& folder) {
  SetTextOf(FileNameField(dialog), folder);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  // The dialog moves into the folder and stays open.
  WaitUntil(kDialogTimeoutMs,
            [&] { return !IsWindow(dialog) || FolderShown(dialog) == LastNameOf(folder); });
  if (!IsWindow(dialog)) {
    throw std::runtime_error("the file dialog closed on entering the folder " + Printable(folder));
  }
  if (FolderShown(dialog) != LastNameOf(folder)) {
    throw std::runtime_error("the file dialog did not move into the folder " + Printable(folder));
  }
}

void RemoteProcess::ConfirmFileDialog(HWND dialog, const std::wstring& name) {
  SetTextOf(FileNameField(dialog), name);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  HWND complaint = nullptr;
  WaitUntil(kDialogTimeoutMs, [&] {
    // The closing dialog loses its controls before it goes, and then looks like a box itself.
    for (HWND box : OpenMessageBoxes()) {
      complaint = box != dialog ? box : complaint;
    }
    return !IsWindow(dialog) || complaint;
  });
  if (complaint) {
    const std::string text = Printable(TakeMessageBox(complaint, L"").text);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    throw std::runtime_error("the file dialog refused " + Printable(name) + ": " + text);
  }
  if (IsWindow(dialog)) {
    throw std::runtime_error("the file dialog did not close on OK");
  }
}

bool RemoteProcess::CloseWindow(DWORD timeout_ms) {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return WaitForExit(timeout_ms);
}

}  // namespace trv::remote
