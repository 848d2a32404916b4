// The adapter and chip check, TRV2KCheck.exe, worked from outside through its window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "check_ui/check_controls.h"
#include "remote_operator/remote_process.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {

class CheckProcess final : public RemoteProcess {
 public:
  using RemoteProcess::RemoteProcess;

  // Waits for the window and finds its controls by their identifiers; throws when they do not
  // appear.
  void WaitForCheckWindow(DWORD timeout_ms);
  const check_ui::CheckControls& controls() const { return controls_; }
  std::wstring Report() const { return TextOf(controls_.Report); }

  // Presses `button` and returns once its click has been handled, the operation it started ended;
  // `on_poll` is called meanwhile. Throws when the click is not handled within `timeout_ms`.
  void Click(HWND button, DWORD timeout_ms, const std::function<void()>& on_poll = {});
  // The same, entering `path` in the file dialog that comes during the click, if one does: the
  // file to compare with, or to save the flash as (one that does not exist yet).
  void ClickAndChooseFile(HWND button, const std::wstring& path, DWORD timeout_ms);

 private:
  check_ui::CheckControls controls_;
  // Counts the clicks whose handlers have returned (SendMessageCallback's answer).
  ULONG_PTR clicks_handled_ = 0;
};

}  // namespace trv::remote
