#include "check_ui/check_window.h"

#include <commctrl.h>

#include "check/adapter_check.h"
#include "check/check_texts.h"
#include "common/shared_types.h"
#include "win32/win32_text.h"

namespace trv::check_ui {
namespace {

const ui::OperationWindow::Identity kCheckForm{L"TCheckForm", check_texts::kCheckTitle,
                                               check_texts::kCheckSessionEndBlockReason};

}  // namespace

CheckWindow::CheckWindow(const DriverLibrary& library, Clock& clock, RomFileSystem& files,
                         ui::WindowServices& services, ProgrammerState& state,
                         const ReportHeader& bench)
    : library_(library),
      clock_(clock),
      files_(files),
      state_(state),
      header_(bench),
      window_(*this, controls_.CheckForm, kCheckForm, library.driver, clock, state, services),
      OpenDialog1(ui::FileOpenDialog::ForRomFiles()) {}

CheckWindow::~CheckWindow() {
  window_.Destroy();
}

bool CheckWindow::Create(HINSTANCE instance, int show_command) {
  // Created on the primary screen so that it takes that screen's density from the start.
  if (!window_.Create(instance, CheckLayout::CreationBounds())) {
    return false;
  }
  layout_.FitToPrimaryScreen();
  if (library_.driver == nullptr) {
    // Every line but the driver library's is not tried: no driver call is made.
    CheckTools tools = Tools();
    RunCheck(tools, std::string());
  }
  window_.Show(show_command);
  return true;
}

bool CheckWindow::HandleOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message != WM_CREATE) {
    return layout_.HandleMessage(message, wparam, lparam, result);
  }
  CreateControls(controls_);
  window_.progress_painter().Attach(controls_.ProgressBar1);
  window_.progress_painter().SetRange(0, kRomImageSize);
  layout_.Attach();
  *result = 0;
  return true;
}

void CheckWindow::HandleCommand(int control_id, int notification) {
  if (control_id == kComboBox1Id && notification == CBN_DROPDOWN) {
    ComboBox1DropDown();
  } else if (notification == BN_CLICKED) {
    switch (control_id) {
      case kCheckButtonId:
        CheckButtonClick();
        break;
      case kSaveFlashButtonId:
        SaveFlashButtonClick();
        break;
      case kCompareButtonId:
        CompareButtonClick();
        break;
      case kCopyReportButtonId:
        CopyReportButtonClick();
        break;
    }
  }
}

void CheckWindow::ShowLine(const CheckLine& line) {
  if (Stopped()) {
    return;
  }
  lines_.push_back(line);
  std::wstring text = win32::WideFromMessage(LineText(line));
  if (lines_.size() > 1) {
    text = L"\r\n" + text;
  }
  // At the end, which the report then scrolls to.
  const int end = GetWindowTextLengthW(controls_.Report);
  SendMessageW(controls_.Report, EM_SETSEL, end, end);
  SendMessageW(controls_.Report, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void CheckWindow::ShowReadProgress(std::uint32_t bytes_read) {
  if (!Stopped()) {
    window_.progress_painter().SetPosition(bytes_read);
  }
}

CheckTools CheckWindow::Tools() {
  return CheckTools{library_, clock_, *this, *this, state_.adapter, state_.buffers};
}

void CheckWindow::ClearReport() {
  lines_.clear();
  SetWindowTextW(controls_.Report, L"");
}

void CheckWindow::EnableInputs(bool enabled) noexcept {
  EnableInputControls(controls_, enabled);
}

void CheckWindow::RestoreAfterFailure() {
  ShowProgressBar(controls_, false);
  EnableInputControls(controls_, true);
}

}  // namespace trv::check_ui
