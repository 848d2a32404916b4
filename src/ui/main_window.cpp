#include "ui/main_window.h"

#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "ui/busy_cursor.h"
#include "ui/device_list.h"
#include "win32/win32_text.h"

namespace trv::ui {

TForm1::TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, WindowServices& services,
               ProgrammerState& state)
    : driver_(driver),
      clock_(clock),
      files_(files),
      services_(services),
      state_(state),
      OpenDialog1(FileOpenDialog::ForRomFiles()),
      session_end_block_(services, win32::WideFromUtf8(texts::kSessionEndBlockReason)) {}

TForm1::~TForm1() {
  if (controls_.Form1 != nullptr) {
    DestroyWindow(controls_.Form1);
  }
}

bool TForm1::Create(HINSTANCE instance, int show_command) {
  // Created on the primary screen so that it takes that screen's density from the start.
  if (CreateForm(instance, &WindowProc, FormLayout::CreationBounds(), this) == nullptr) {
    return false;
  }
  layout_.FitToPrimaryScreen();
  ShowWindow(controls_.Form1, show_command);
  UpdateWindow(controls_.Form1);
  return true;
}

bool TForm1::HandleDialogMessage(MSG* message) {
  return controls_.Form1 != nullptr && IsDialogMessageW(controls_.Form1, message);
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->controls_.Form1 = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  LRESULT result = 0;
  try {
    const OperatorHolds::Handling handling(form->holds_, message);
    result = form->HandleMessage(message, wparam, lparam);
  } catch (...) {
    form->nesting_.Fail();
    result = message == WM_CREATE ? -1 : 0;
  }
  // Whatever the message did, the adapter may have been opened or closed meanwhile.
  form->FollowAdapterForSessionEnd();
  return result;
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (layout_.HandleMessage(message, wparam, lparam, &result)) {
    return result;
  }
  switch (message) {
    case WM_CREATE:
      CreateControls(controls_);
      // A screen reader names a control by the label created just before it, which the fixed
      // creation order makes "Selected File:" for the device box and nothing for the bar: they
      // are named by the label over each instead.
      NameForScreenReaders(controls_.ComboBox1, texts::kDeviceLabel);
      NameForScreenReaders(controls_.ProgressBar1, texts::kIdleHeading);
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
      // While an adapter is open the chip could be left half-written. Otherwise nothing is kept
      // that could be saved, and an adapter is closed once the end is confirmed.
      FollowAdapterForSessionEnd();
      return state_.adapter.open ? FALSE : TRUE;
    case WM_ENDSESSION:
      // The process may be ended without another message after this one, so the adapter is
      // closed now, as for a closed window; a run under way stops at its next pump.
      if (wparam) {
        FormClose();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(nesting_.held_quit_code());
      // Destroyed without a close request: the adapter must still not be left open.
      if (!nesting_.closed()) {
        nesting_.MarkClosed();
        trv::FormClose(driver_, state_);
      }
      return 0;
    case kDestroyClosedWindow:
      DestroyWindow(controls_.Form1);
      return 0;
    case WM_NCDESTROY: {
      const HWND window = controls_.Form1;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      controls_ = FormControls{};
      focus_.Forget();
      session_end_block_.Forget();
      return DefWindowProcW(window, message, wparam, lparam);
    }
  }
  return DefWindowProcW(controls_.Form1, message, wparam, lparam);
}

void TForm1::HandleCommand(int control_id, int notification) {
  // One handler at a time: a click that was already queued when a run disabled the controls
  // must not start a second one inside the first.
  if (Stopped() || nesting_.HandlerRunning()) {
    return;
  }
  const HandlerNesting::Scope scope(nesting_);
  if (control_id == kComboBox1Id && notification == CBN_DROPDOWN) {
    ComboBox1DropDown();
  } else if (control_id == kOpenButtonId && notification == BN_CLICKED) {
    OpenButtonClick();
  } else if (control_id == kProgramButtonId && notification == BN_CLICKED) {
    ProgramButtonClick();
  }
}

void TForm1::ComboBox1DropDown() {
  FillDeviceList(controls_.ComboBox1, driver_, clock_, *this,
                 [this](const std::string& text) { ShowInformation(text); });
}

void TForm1::OpenButtonClick() {
  if (const auto path = OpenDialog1.Execute(controls_.Form1)) {
    SetSelectedFileCaption(*path);
  }
}

void TForm1::ProgramButtonClick() {
  const BusyCursor busy(controls_.Form1);
  Programmer programmer{driver_, clock_, *this, *this, files_, state_};
  trv::ProgramButtonClick(programmer);
}

void TForm1::FormClose() {
  if (nesting_.closed()) {
    return;
  }
  nesting_.MarkClosed();
  if (state_.adapter.returning_to_normal) {
    // The run restarts the chip and closes the adapter within a fraction of a second: the window
    // stays until then, with the busy cursor and nothing to press, so that the operator does not
    // take the board away while the chip restarts.
    EnableInputControls(controls_, false);
  } else {
    trv::FormClose(driver_, state_);
    // A handler may still be on the stack: it unwinds first, and the window goes after it.
    ShowWindow(controls_.Form1, SW_HIDE);
  }
  nesting_.FinishIfIdle();
}

void TForm1::RecoverFromFailure() noexcept {
  // What the stopped run left in the link buffers is cleared by the next run as it starts.
  try {
    trv::FormClose(driver_, state_);
  } catch (...) {
    // The driver failed again; its handle is not used any more either way.
    state_.adapter.open = false;
  }
  if (nesting_.closed()) {
    return;
  }
  try {
    SetProgressBarVisible(false);
    SetSelectedFileVisible(true);
    SetLabel2Caption(texts::kIdleHeading);
    SetInputControlsEnabled(true);
    ShowErrorReport(texts::kUnexpectedErrorMessage);
  } catch (...) {
    // Not even the report could be shown: the controls at least are usable again.
    EnableInputControls(controls_, true);
  }
}

// Destroyed from the message loop, when no control's own code is on the stack either: the combo
// box, for one, is still inside its click when it reports the list opening.
void TForm1::DestroyClosedWindow() noexcept {
  if (controls_.Form1 != nullptr) {
    PostMessageW(controls_.Form1, kDestroyClosedWindow, 0, 0);
  }
}

void TForm1::SetSelectedFileCaption(const std::wstring& path) {
  if (!Stopped()) {
    SetWindowTextW(controls_.SelectedFile, path.c_str());
  }
}

void TForm1::FollowAdapterForSessionEnd() {
  session_end_block_.Follow(controls_.Form1, state_.adapter.open);
}

}  // namespace trv::ui
