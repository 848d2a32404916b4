// The check's window's handlers: each hands its operation to the check's core, with the adapter
// chosen in the device list, and does only what the core leaves to Windows: the file dialogs, the
// file saved and the clipboard.
#include <cstring>

#include "check/adapter_check.h"
#include "check/check_texts.h"
#include "check/flash_read.h"
#include "check_ui/check_window.h"
#include "check_ui/save_dialog.h"
#include "common/operator_texts.h"
#include "ui/busy_cursor.h"
#include "ui/device_list.h"
#include "win32/file_save.h"
#include "win32/win32_text.h"

namespace trv::check_ui {
namespace {

// Times the clipboard is asked for, and the pause between, while another program holds it.
constexpr int kClipboardAttempts = 10;
constexpr DWORD kClipboardRetryMs = 20;

// Puts `text` on the clipboard as Unicode text; the system's error code, or 0.
DWORD CopyToClipboard(HWND owner, const std::wstring& text) {
  bool opened = false;
  for (int attempt = 0; attempt < kClipboardAttempts && !opened; ++attempt) {
    opened = OpenClipboard(owner);
    if (!opened) {
      Sleep(kClipboardRetryMs);
    }
  }
  if (!opened) {
    return GetLastError();
  }
  DWORD error = 0;
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  void* locked = memory == nullptr ? nullptr : GlobalLock(memory);
  if (locked == nullptr) {
    error = GetLastError();
  } else {
    std::memcpy(locked, text.c_str(), size);
    GlobalUnlock(memory);
    // The clipboard owns the memory once it has taken it.
    if (!EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
      error = GetLastError();
    }
  }
  if (error != 0 && memory != nullptr) {
    GlobalFree(memory);
  }
  CloseClipboard();
  return error;
}

}  // namespace

// What every operation on the chip shares: the adapter chosen as it begins, named in the report,
// the busy cursor over the window and its inputs off, and the progress bar where it reads the
// flash. The inputs come back as it ends, unless the window was closed meanwhile.
class CheckWindow::Operation {
 public:
  Operation(CheckWindow& check, bool reads_flash)
      : check_(check),
        busy_(check.controls_.CheckForm),
        description_(win32::AnsiFromWide(win32::WindowText(check.controls_.ComboBox1))) {
    check_.header_.adapter = description_;
    check_.window_.focus().Save();
    EnableInputControls(check_.controls_, false);
    check_.window_.progress_painter().SetPosition(0);
    ShowProgressBar(check_.controls_, reads_flash);
  }
  ~Operation() {
    if (!check_.Stopped()) {
      ShowProgressBar(check_.controls_, false);
      EnableInputControls(check_.controls_, true);
      check_.window_.focus().RestoreIfLost();
    }
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  const std::string& description() const { return description_; }

 private:
  CheckWindow& check_;
  const ui::BusyCursor busy_;
  const std::string description_;
};

void CheckWindow::ComboBox1DropDown() {
  if (library_.driver == nullptr) {
    return;
  }
  ui::FillDeviceList(controls_.ComboBox1, *library_.driver, clock_, *this,
                     [this](const std::string& text) { window_.ShowInformation(text); });
}

void CheckWindow::CheckButtonClick() {
  const Operation operation(*this, false);
  ClearReport();
  CheckTools tools = Tools();
  RunCheck(tools, operation.description());
}

// The flash is read whole before the operator is asked where to save it, so that a failed read
// costs no choice of file.
void CheckWindow::SaveFlashButtonClick() {
  const Operation operation(*this, true);
  CheckTools tools = Tools();
  const auto flash = ReadWholeFlash(tools, operation.description());
  if (!flash || Stopped()) {
    return;
  }
  ShowProgressBar(controls_, false);
  const auto path = ChooseRomFileToSave(controls_.CheckForm);
  if (!path || Stopped()) {
    return;
  }
  const IoError error = win32::SaveWholeFile(*path, *flash);
  if (error != kIoOk) {
    window_.ShowError(IoErrorText(error));
    return;
  }
  ShowLine({CheckId::kSaveFlash, Outcome::kPassed,
            texts::FilledIn(check_texts::kFlashSavedMessage, {win32::Utf8FromWide(*path)}), ""});
}

void CheckWindow::CompareButtonClick() {
  const auto path = OpenDialog1.Execute(controls_.CheckForm);
  if (!path || Stopped()) {
    return;
  }
  const Operation operation(*this, true);
  CheckTools tools = Tools();
  CompareFlashWithFile(tools, operation.description(), files_, win32::Utf8FromWide(*path));
}

void CheckWindow::CopyReportButtonClick() {
  const DWORD error = CopyToClipboard(controls_.CheckForm, win32::WideFromMessage(ReportText()));
  if (error != 0) {
    window_.ShowInformation(
        texts::FilledIn(check_texts::kCopyFailedMessage, {std::to_string(error)}));
  }
}

}  // namespace trv::check_ui
