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
  const auto find = [&] {
    const HWND form = window();
    controls_.CheckForm = form;
    controls_.ComboBox1 = GetDlgItem(form, check_ui::kComboBox1Id);
    controls_.CheckButton = GetDlgItem(form, check_ui::kCheckButtonId);
    controls_.SaveFlashButton = GetDlgItem(form, check_ui::kSaveFlashButtonId);
    controls_.CompareButton = GetDlgItem(form, check_ui::kCompareButtonId);
    controls_.Report = GetDlgItem(form, check_ui::kReportId);
    controls_.ProgressBar1 = GetDlgItem(form, check_ui::kProgressBar1Id);
    controls_.CopyReportButton = GetDlgItem(form, check_ui::kCopyReportButtonId);
    device_list_ = controls_.ComboBox1;
    const check_ui::CheckControls& c = controls_;
    return c.ComboBox1 && c.CheckButton && c.SaveFlashButton && c.CompareButton && c.Report &&
           c.ProgressBar1 && c.CopyReportButton;
  };
  if (!WaitUntil(timeout_ms, find)) {
    throw std::runtime_error("the check's window lacks controls");
  }
}

bool CheckProcess::InputsEnabled() const {
  const check_ui::CheckControls& c = controls_;
  return IsWindowEnabled(c.ComboBox1) && IsWindowEnabled(c.CheckButton) &&
         IsWindowEnabled(c.SaveFlashButton) && IsWindowEnabled(c.CompareButton) &&
         IsWindowEnabled(c.CopyReportButton);
}

std::wstring CheckProcess::Report() const {
  return TextOf(controls_.Report);
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

void CheckProcess::ClickThroughFileDialog(HWND button, const std::wstring& path, DWORD timeout_ms) {
  Click(button, timeout_ms, [&] {
    if (const HWND dialog = ReadyFileDialog()) {
      ConfirmFileDialog(dialog, path);
    }
  });
}

void CheckProcess::SaveFlash(const std::wstring& path, DWORD timeout_ms) {
  ClickThroughFileDialog(controls_.SaveFlashButton, path, timeout_ms);
}

void CheckProcess::CompareWithFile(const std::wstring& path, DWORD timeout_ms) {
  ClickThroughFileDialog(controls_.CompareButton, path, timeout_ms);
}

}  // namespace trv::remote
