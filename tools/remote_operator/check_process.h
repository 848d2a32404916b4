// The adapter and chip check, TRV2KCheck.exe, worked from outside through its window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "check_ui/check_controls.h"
#include "remote_operator/remote_process.h"

namespace trv::remote {

class CheckProcess final : public RemoteProcess {
 public:
  using RemoteProcess::RemoteProcess;

  // Waits for the window and finds its controls by their identifiers; throws when they do not
  // appear.
  void WaitForCheckWindow(DWORD timeout_ms);
  const check_ui::CheckControls& controls() const { return controls_; }

  // The device list and the four buttons.
  bool InputsEnabled() const;
  std::wstring Report() const;

  // Presses `button` and returns once its click has been handled, the operation it starts ended;
  // `on_poll` is called meanwhile. Throws when the click is not handled within `timeout_ms`.
  void Click(HWND button, DWORD timeout_ms, const std::function<void()>& on_poll = {});
  // Presses "Save flash..." and, once the flash has been read, saves it as `path` (one that does
  // not exist yet) in the dialog that comes; no dialog comes where the read failed.
  void SaveFlash(const std::wstring& path, DWORD timeout_ms);
  // Presses "Compare with file..." and chooses the file at `path` in the dialog.
  void CompareWithFile(const std::wstring& path, DWORD timeout_ms);

 private:
  // Presses `button` and enters `path` in the file dialog that comes during its click, if one
  // does.
  void ClickThroughFileDialog(HWND button, const std::wstring& path, DWORD timeout_ms);

  check_ui::CheckControls controls_;
  // Counts the clicks whose handlers have returned (SendMessageCallback's answer).
  ULONG_PTR clicks_handled_ = 0;
};

}  // namespace trv::remote
