// One started instance of the programmer, worked from outside through its windows only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/form_controls.h"

namespace trv::remote {

// Name/value pairs added to the programmer's environment; every other QBSIM_* variable is removed.
using EnvironmentOverrides = std::vector<std::pair<std::wstring, std::wstring>>;

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
  int text_height = 0;  // pixels of the control that shows the text
  // The window while the box was up.
  bool inputs_enabled_when_shown = false;  // ComboBox1 and both buttons enabled
  bool progress_visible_when_shown = false;
  DWORD progress_when_shown = 0;
  bool selected_file_visible_when_shown = false;
  std::wstring label2_when_shown;
};

// What was seen while a run went on, sampled every few milliseconds.
struct RunObservation {
  std::vector<MessageBoxSeen> boxes;
  std::vector<std::wstring> label2_captions;  // each change, in order
  bool inputs_enabled_with_progress = false;
  DWORD highest_progress = 0;
  bool back_to_idle = false;  // controls enabled and no box for a while, within the time limit
  bool process_ended = false;
};

class ProgrammerProcess {
 public:
  // Starts the programmer; throws std::runtime_error when it cannot be started.
  ProgrammerProcess(const std::wstring& exe_path, const std::wstring& working_directory,
                    const EnvironmentOverrides& environment);
  ~ProgrammerProcess();
  ProgrammerProcess(const ProgrammerProcess&) = delete;
  ProgrammerProcess& operator=(const ProgrammerProcess&) = delete;

  // Waits for the main window and finds its seven controls; throws when they do not appear.
  void WaitForMainWindow(DWORD timeout_ms);
  HWND window() const { return window_; }
  const ui::FormControls& controls() const { return controls_; }
  DWORD process_id() const { return process_.dwProcessId; }
  HANDLE process_handle() const { return process_.hProcess; }

  bool Running() const;
  bool WaitForExit(DWORD timeout_ms);
  void Kill();

  bool InputsEnabled() const;
  bool NoBoxOpen() const { return OpenMessageBoxes().empty() && OpenFileDialogs().empty(); }

  // Message boxes (#32770 without edit fields) and file dialogs of this process now on screen.
  std::vector<HWND> OpenMessageBoxes() const;
  std::vector<HWND> OpenFileDialogs() const;
  HWND WaitForMessageBox(DWORD timeout_ms) const;
  MessageBoxSeen ReadMessageBox(HWND box) const;
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

  // Presses "ROM File...", enters `name` (absolute or relative to the dialog's folder) and
  // confirms; throws when the dialog misbehaves.
  void ChooseFile(const std::wstring& name);
  // The same, but first enters `folder` in the dialog (as a double-click on it would) and then
  // the bare file name.
  void ChooseFileInFolder(const std::wstring& folder, const std::wstring& name);
  void CancelFileDialog();
  std::wstring SelectedFilePath() const;

  // Presses "Program" and follows the run until the window is idle again, dismissing each
  // message box after reading it. `on_poll` is called at every sample.
  RunObservation PressProgram(DWORD timeout_ms, const std::wstring& screenshot,
                              const std::function<void(const RunObservation&)>& on_poll = {});

  // Asks the window to close (WM_CLOSE) and waits for the process to end.
  bool CloseWindow(DWORD timeout_ms);

 private:
  // The seven controls by their classes and captions; false until all are there.
  bool FindControls();
  // Reads the box, captures the screen (when a path is given) and dismisses the box.
  MessageBoxSeen TakeMessageBox(HWND box, const std::wstring& screenshot) const;
  HWND OpenFileDialog();
  // Enters `name` in the open dialog and presses OK.
  void ConfirmFileDialog(HWND dialog, const std::wstring& name);

  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  ui::FormControls controls_;
};

}  // namespace trv::remote
