// One started instance of either program, worked from outside through its windows only: what the
// programmer and the check share (their start beside the stand-in, their window found by its
// caption, the device list, the file dialogs and message boxes, the close).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace trv::remote {

// Name/value pairs added to the program's environment; every other QBSIM_* variable is removed.
using EnvironmentOverrides = std::vector<std::pair<std::wstring, std::wstring>>;

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
  int text_height = 0;  // pixels of the control that shows the text
  // The programmer's window while the box was up.
  bool inputs_enabled_when_shown = false;  // ComboBox1 and both buttons enabled
  bool progress_visible_when_shown = false;
  DWORD progress_when_shown = 0;
  bool selected_file_visible_when_shown = false;
  std::wstring label2_when_shown;
};

class RemoteProcess {
 public:
  // Starts the program; throws std::runtime_error when it cannot be started.
  RemoteProcess(const std::wstring& exe_path, const std::wstring& working_directory,
                const EnvironmentOverrides& environment);
  virtual ~RemoteProcess();
  RemoteProcess(const RemoteProcess&) = delete;
  RemoteProcess& operator=(const RemoteProcess&) = delete;

  HWND window() const { return window_; }
  DWORD process_id() const { return process_.dwProcessId; }
  HANDLE process_handle() const { return process_.hProcess; }

  bool Running() const;
  bool WaitForExit(DWORD timeout_ms);
  void Kill();

  bool NoBoxOpen() const { return OpenMessageBoxes().empty() && OpenFileDialogs().empty(); }

  // Message boxes (#32770 without edit fields) and file dialogs of this process now on screen.
  std::vector<HWND> OpenMessageBoxes() const;
  std::vector<HWND> OpenFileDialogs() const;
  HWND WaitForMessageBox(DWORD timeout_ms) const;
  virtual MessageBoxSeen ReadMessageBox(HWND box) const;
  // Presses OK; throws when the box does not go away.
  void DismissMessageBox(HWND box) const;
  // Reads, captures (when a path is given) and dismisses every box until none appears for
  // `quiet_ms`; stops at `timeout_ms`.
  std::vector<MessageBoxSeen> CollectMessageBoxes(DWORD quiet_ms, DWORD timeout_ms,
                                                  const std::wstring& screenshot);

  // Opens the device drop-down as a click would (CBN_DROPDOWN fires); returns once it has
  // dropped or a message box is up.
  void OpenDeviceList();
  void CloseDeviceList();
  bool DeviceListDropped() const;
  std::vector<std::wstring> DeviceItems() const;
  // Opens the list, picks item `index` and closes it again.
  void ChooseDevice(int index);
  std::wstring DeviceText() const;

  // Asks the window to close (WM_CLOSE) and waits for the process to end.
  bool CloseWindow(DWORD timeout_ms);

 protected:
  // Waits for the window captioned `title`; throws when the process ends or none appears.
  void WaitForWindow(const std::wstring& title, DWORD timeout_ms);
  // Reads the box, captures the screen (when a path is given) and dismisses the box.
  MessageBoxSeen TakeMessageBox(HWND box, const std::wstring& screenshot) const;
  // A file dialog of this process that is ready for a name; null while there is none.
  HWND ReadyFileDialog() const;
  // Presses `button` and waits for the file dialog it opens, ready for a name.
  HWND OpenFileDialogBy(HWND button);
  // Enters `name` in the dialog and presses OK; throws when the dialog refuses it or stays.
  void ConfirmFileDialog(HWND dialog, const std::wstring& name);
  // Moves the dialog into `folder`, as a double-click on it would.
  void EnterFolder(HWND dialog, const std::wstring& folder);

  HWND device_list_ = nullptr;  // the window's ComboBox1, once found

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

}  // namespace trv::remote
