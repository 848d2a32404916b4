#include "check_ui/check_window.h"

#include <commctrl.h>

#include "check/adapter_check.h"
#include "check/check_texts.h"
#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "win32/win32_text.h"

namespace trv::check_ui {

CheckWindow::CheckWindow(const DriverLibrary& library, Clock& clock, RomFileSystem& files,
                         ui::WindowServices& services, ProgrammerState& state,
                         const ReportHeader& bench)
    : library_(library),
      clock_(clock),
      files_(files),
      state_(state),
      header_(bench),
      OpenDialog1(ui::FileOpenDialog::ForRomFiles()),
      session_end_block_(services, win32::WideFromUtf8(check_texts::kCheckSessionEndBlockReason)) {}

CheckWindow::~CheckWindow() {
  if (controls_.CheckForm != nullptr) {
    DestroyWindow(controls_.CheckForm);
  }
}

bool CheckWindow::Create(HINSTANCE instance, int show_command) {
  // Created on the primary screen so that it takes that screen's density from the start.
  if (CreateCheckForm(instance, &WindowProc, CheckLayout::CreationBounds(), this) == nullptr) {
    return false;
  }
  layout_.FitToPrimaryScreen();
  if (library_.driver == nullptr) {
    // Every line but the driver library's is not tried: no driver call is made.
    CheckTools tools = Tools();
    RunCheck(tools, std::string());
  }
  ShowWindow(controls_.CheckForm, show_command);
  UpdateWindow(controls_.CheckForm);
  return true;
}

bool CheckWindow::HandleDialogMessage(MSG* message) {
  return controls_.CheckForm != nullptr && IsDialogMessageW(controls_.CheckForm, message);
}

LRESULT CALLBACK CheckWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form =
        static_cast<CheckWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->controls_.CheckForm = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<CheckWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  LRESULT result = 0;
  try {
    const ui::OperatorHolds::Handling handling(form->holds_, message);
    result = form->HandleMessage(message, wparam, lparam);
  } catch (...) {
    form->nesting_.Fail();
    result = message == WM_CREATE ? -1 : 0;
  }
  // Whatever the message did, the adapter may have been opened or closed meanwhile.
  form->FollowAdapterForSessionEnd();
  return result;
}

LRESULT CheckWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (layout_.HandleMessage(message, wparam, lparam, &result)) {
    return result;
  }
  switch (message) {
    case WM_CREATE:
      CreateControls(controls_);
      progress_painter_.Attach(controls_.ProgressBar1);
      progress_painter_.SetRange(0, kRomImageSize);
      layout_.Attach();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        focus_.Save();
      } else {
        focus_.Restore();
      }
      return 0;
    case WM_COMMAND:
      HandleCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_QUERYENDSESSION:
      // While the adapter is open the chip may be in its loader or held in reset. Otherwise
      // nothing is kept that could be saved.
      FollowAdapterForSessionEnd();
      return state_.adapter.open ? FALSE : TRUE;
    case WM_ENDSESSION:
      // The process may be ended without another message after this one: the operation under way
      // stops at its next pump, and restarts the chip and closes the adapter on its way out.
      if (wparam) {
        FormClose();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(nesting_.held_quit_code());
      // Destroyed without a close request: the adapter must still not be left open.
      if (!nesting_.closed()) {
        nesting_.MarkClosed();
        CloseAdapter();
      }
      return 0;
    case kDestroyClosedWindow:
      DestroyWindow(controls_.CheckForm);
      return 0;
    case WM_NCDESTROY: {
      const HWND window = controls_.CheckForm;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      controls_ = CheckControls{};
      focus_.Forget();
      session_end_block_.Forget();
      return DefWindowProcW(window, message, wparam, lparam);
    }
  }
  return DefWindowProcW(controls_.CheckForm, message, wparam, lparam);
}

void CheckWindow::HandleCommand(int control_id, int notification) {
  // One handler at a time: a click that was already queued when an operation disabled the
  // controls must not start a second one inside the first.
  if (Stopped() || nesting_.HandlerRunning()) {
    return;
  }
  const ui::HandlerNesting::Scope scope(nesting_);
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

void CheckWindow::FormClose() {
  if (nesting_.closed()) {
    return;
  }
  nesting_.MarkClosed();
  if (state_.adapter.returning_to_normal) {
    // The operation restarts the chip and closes the adapter at its next pump: the window stays
    // until then, with the busy cursor and nothing to press, so that the operator does not take
    // the board away while the chip restarts.
    EnableInputControls(controls_, false);
  } else {
    CloseAdapter();
    // A handler may still be on the stack: it unwinds first, and the window goes after it.
    ShowWindow(controls_.CheckForm, SW_HIDE);
  }
  nesting_.FinishIfIdle();
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
    progress_painter_.SetPosition(bytes_read);
  }
}

PumpReport CheckWindow::PumpMessages() {
  FollowAdapterForSessionEnd();
  return pump_.Pump(controls_.CheckForm);
}

CheckTools CheckWindow::Tools() {
  return CheckTools{library_, clock_, *this, *this, state_.adapter, state_.buffers};
}

void CheckWindow::ClearReport() {
  lines_.clear();
  SetWindowTextW(controls_.Report, L"");
}

// The system centres message boxes on the screen, as the operator's messages must be.
void CheckWindow::ShowBox(const std::string& text, const std::string& caption, UINT style) {
  if (Stopped()) {
    return;
  }
  progress_painter_.PaintNow();
  MessageBoxW(controls_.CheckForm, win32::WideFromMessage(text).c_str(),
              win32::WideFromUtf8(caption).c_str(), style);
}

void CheckWindow::FollowAdapterForSessionEnd() {
  session_end_block_.Follow(controls_.CheckForm, state_.adapter.open);
}

// The close handler's safety net; it leaves an adapter that an operation holds to it.
void CheckWindow::CloseAdapter() noexcept {
  try {
    if (library_.driver != nullptr) {
      trv::FormClose(*library_.driver, state_);
    }
  } catch (...) {
    // The driver failed again; its handle is not used any more either way.
    state_.adapter.open = false;
  }
}

void CheckWindow::RecoverFromFailure() noexcept {
  CloseAdapter();
  if (nesting_.closed()) {
    return;
  }
  try {
    ShowProgressBar(controls_, false);
    EnableInputControls(controls_, true);
    ShowBox(texts::kUnexpectedErrorMessage, check_texts::kCheckTitle, MB_OK | MB_ICONERROR);
  } catch (...) {
    // Not even the report could be shown: the controls at least are usable again.
    EnableInputControls(controls_, true);
  }
}

// Destroyed from the message loop, when no control's own code is on the stack either.
void CheckWindow::DestroyClosedWindow() noexcept {
  if (controls_.CheckForm != nullptr) {
    PostMessageW(controls_.CheckForm, kDestroyClosedWindow, 0, 0);
  }
}

}  // namespace trv::check_ui
