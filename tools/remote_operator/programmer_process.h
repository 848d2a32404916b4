// The programmer, TRV2KFlash.exe, worked from outside through its window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "remote_operator/remote_process.h"
#include "ui/form_controls.h"

namespace trv::remote {

// What was seen while a run went on, sampled every few milliseconds.
struct RunObservation {
  std::vector<MessageBoxSeen> boxes;
  std::vector<std::wstring> label2_captions;  // each change, in order
  bool inputs_enabled_with_progress = false;
  DWORD highest_progress = 0;
  bool back_to_idle = false;  // controls enabled and no box for a while, within the time limit
  bool process_ended = false;
};

class ProgrammerProcess final : public RemoteProcess {
 public:
  using RemoteProcess::RemoteProcess;

  // Waits for the main window and finds its seven controls; throws when they do not appear.
  void WaitForMainWindow(DWORD timeout_ms);
  const ui::FormControls& controls() const { return controls_; }

  bool InputsEnabled() const;
  // The box, and the window behind it as it stood.
  MessageBoxSeen ReadMessageBox(HWND box) const override;

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

 private:
  // The seven controls by their classes and captions; false until all are there.
  bool FindControls();

  ui::FormControls controls_;
};

}  // namespace trv::remote
