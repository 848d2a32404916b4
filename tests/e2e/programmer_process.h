// One started instance of the programmer, worked from outside through its windows only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

constexpr wchar_t kApplicationTitle[] = L"ZORPA TRV2K-3B Flash Programmer";

// Name/value pairs added to the programmer's environment; every other QBSIM_* variable is removed.
using EnvironmentOverrides = std::vector<std::pair<std::wstring, std::wstring>>;

struct MainControls {
  HWND label1 = nullptr;
  HWND selectedFile = nullptr;
  HWND label2 = nullptr;
  HWND comboBox1 = nullptr;
  HWND openButton = nullptr;
  HWND programButton = nullptr;
  HWND progressBar1 = nullptr;
};

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
  int textHeight = 0;  // pixels of the control that shows the text
  // The window while the box was up.
  bool inputsEnabledWhenShown = false;  // ComboBox1 and both buttons enabled
  bool progressVisibleWhenShown = false;
  DWORD progressWhenShown = 0;
  bool selectedFileVisibleWhenShown = false;
  std::wstring label2WhenShown;
  DWORD shownAfterMs = 0;  // since the action that led to it
};

// What was seen while a run went on, sampled every few milliseconds.
struct RunObservation {
  std::vector<MessageBoxSeen> boxes;
  std::vector<std::wstring> label2Captions;  // each change, in order
  bool progressShown = false;
  bool inputsEnabledWithProgress = false;
  DWORD highestProgress = 0;
  bool backToIdle = false;  // controls enabled and no box for a while, within the time limit
  bool processEnded = false;
};

class ProgrammerProcess {
 public:
  // Starts the programmer; throws std::runtime_error when it cannot be started.
  ProgrammerProcess(const std::wstring& exePath, const std::wstring& workingDirectory,
                    const EnvironmentOverrides& environment);
  ~ProgrammerProcess();
  ProgrammerProcess(const ProgrammerProcess&) = delete;
  ProgrammerProcess& operator=(const ProgrammerProcess&) = delete;

  // Waits for the main window and finds its seven controls; throws when they do not appear.
  void WaitForMainWindow(DWORD timeoutMs);
  HWND window() const { return window_; }
  const MainControls& controls() const { return controls_; }
  DWORD processId() const { return process_.dwProcessId; }
  HANDLE processHandle() const { return process_.hProcess; }

  bool Running() const;
  bool WaitForExit(DWORD timeoutMs);
  void Kill();

  bool InputsEnabled() const;
  bool NoBoxOpen() const { return OpenMessageBoxes().empty() && OpenFileDialogs().empty(); }

  // Message boxes (#32770 without edit fields) and file dialogs of this process now on screen.
  std::vector<HWND> OpenMessageBoxes() const;
  std::vector<HWND> OpenFileDialogs() const;
  HWND WaitForMessageBox(DWORD timeoutMs) const;
  MessageBoxSeen ReadMessageBox(HWND box) const;
  // Presses OK; throws when the box does not go away.
  void DismissMessageBox(HWND box) const;
  // Reads, captures (when a path is given) and dismisses every box until none appears for
  // `quietMs`; stops at `timeoutMs`.
  std::vector<MessageBoxSeen> CollectMessageBoxes(DWORD quietMs, DWORD timeoutMs,
                                                  const std::wstring& screenshot);

  // Opens the device drop-down as a click would (CBN_DROPDOWN fires); returns once it has
  // dropped or a message box is up.
  void OpenDeviceList();
  void CloseDeviceList();
  bool DeviceListDropped() const;
  std::vector<std::wstring> DeviceItems() const;
  // Opens the list, picks item `index` and closes it again.
  void ChooseDevice(int index);
  void TypeDevice(const std::wstring& text);
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
  // message box after reading it. `onPoll` is called at every sample.
  RunObservation PressProgram(DWORD timeoutMs, const std::wstring& screenshot,
                              const std::function<void(const RunObservation&)>& onPoll = {});

  // Asks the window to close (WM_CLOSE) and waits for the process to end.
  bool CloseWindow(DWORD timeoutMs);

 private:
  HWND OpenFileDialog();
  // Enters `name` in the open dialog and presses OK.
  void ConfirmFileDialog(HWND dialog, const std::wstring& name);

  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  MainControls controls_;
};

}  // namespace e2e
