#include "remote_operator/check_process.h"

#include <stdexcept>

#include "check/check_texts.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {

namespace {

void CALLBACK CountHandledClick(HWND, UINT, ULONG_PTR clicks_handled, LRESULT) {
  ++*reinterpret_cast<ULONG_PTR*>(clicks_handled);
}

}  // namespace

void CheckProcess::WaitForCheckWindow(DWORD timeout_ms) {
  WaitForWindow(Widen(check_texts::kCheckTitle), timeout_ms);
  check_ui::CheckControls& c = controls_;
  const auto find = [&] {
    c.CheckForm = window();
    device_list_ = c.ComboBox1 = GetDlgItem(window(), check_ui::kComboBox1Id);
    c.CheckButton = GetDlgItem(window(), check_ui::kCheckButtonId);
    c.SaveFlashButton = GetDlgItem(window(), check_ui::kSaveFlashButtonId);
    c.CompareButton = GetDlgItem(window(), check_ui::kCompareButtonId);
    c.Report = GetDlgItem(window(), check_ui::kReportId);
    c.ProgressBar1 = GetDlgItem(window(), check_ui::kProgressBar1Id);
    return c.ComboBox1 && c.CheckButton && c.SaveFlashButton && c.CompareButton && c.Report &&
           c.ProgressBar1;
  };
  if (!WaitUntil(timeout_ms, find)) {
    throw std::runtime_error("the check's window lacks controls");
  }
}

// Sent, so that the answer comes when the handler returns however long the operation takes; with a
// callback, so that this thread stays free to work the dialogs the handler opens meanwhile.
void CheckProcess::Click(HWND button, DWORD timeout_ms, const std::function<void()>& on_poll) {
  const ULONG_PTR handled_before = clicks_handled_;
  if (!SendMessageCallbackW(button, BM_CLICK, 0, 0, CountHandledClick,
                            reinterpret_cast<ULONG_PTR>(&clicks_handled_))) {
    throw std::runtime_error("the click could not be sent");
  }
  const auto handled = [&] {
    MSG message;
    // The answer comes in with this thread's messages.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    return clicks_handled_ != handled_before;
  };
  const bool ended = WaitUntil(timeout_ms, [&] {
    if (!handled() && on_poll) {
      on_poll();
    }
    return handled() || !Running();
  });
  if (!ended || !handled()) {
    throw std::runtime_error("the click on " + Printable(TextOf(button)) +
                             " was not handled within " + std::to_string(timeout_ms / 1000) + " s");
  }
}

void CheckProcess::ClickAndChooseFile(HWND button, const std::wstring& path, DWORD timeout_ms) {
  Click(button, timeout_ms, [&] {
    if (const HWND dialog = ReadyFileDialog()) {
      ConfirmFileDialog(dialog, path);
    }
  });
}

}  // namespace trv::remote
