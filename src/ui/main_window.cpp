#include "ui/main_window.h"

#include "adapter/adapter_link.h"
#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "ui/busy_cursor.h"
#include "ui/screen_reader_names.h"
#include "win32/win32_text.h"

namespace trv::ui {

TForm1::TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, ProgrammerState& state)
    : driver_(driver),
      clock_(clock),
      files_(files),
      state_(state),
      OpenDialog1(FileOpenDialog::ForRomFiles()),
      progress_painter_(clock) {}

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
  holds_.Follow(message);
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
  SendMessageW(controls_.ComboBox1, CB_RESETCONTENT, 0, 0);
  SetWindowTextW(controls_.ComboBox1, L"");
  if (!PumpMessages().window_open) {
    return;
  }
  const AdapterList adapters = EnumerateAdapters(driver_, clock_);
  if (adapters.none_attached) {
    ShowInformation(texts::kNoDevicesMessage);
    return;
  }
  for (const std::string& description : adapters.descriptions) {
    SendMessageW(controls_.ComboBox1, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(win32::WideFromAnsi(description).c_str()));
  }
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
  trv::FormClose(driver_, state_);
  // A handler may still be on the stack: it unwinds first, and the window goes after it.
  ShowWindow(controls_.Form1, SW_HIDE);
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

std::string TForm1::DeviceDescription() {
  return Stopped() ? std::string() : win32::AnsiFromWide(win32::WindowText(controls_.ComboBox1));
}

std::string TForm1::RomFilePath() {
  return Stopped() ? std::string() : win32::Utf8FromWide(win32::WindowText(controls_.SelectedFile));
}

void TForm1::SetInputControlsEnabled(bool enabled) {
  if (Stopped()) {
    return;
  }
  if (!enabled) {
    focus_.Save();
  }
  EnableInputControls(controls_, enabled);
  // The focus comes back with the controls.
  if (enabled) {
    focus_.RestoreIfLost();
  }
}

void TForm1::SetProgressBarVisible(bool visible) {
  if (!Stopped()) {
    ShowWindow(controls_.ProgressBar1, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetSelectedFileVisible(bool visible) {
  if (!Stopped()) {
    ShowWindow(controls_.SelectedFile, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) {
  if (!Stopped()) {
    progress_painter_.SetRange(minimum, maximum);
  }
}

void TForm1::SetProgressPosition(std::uint32_t position) {
  if (!Stopped()) {
    progress_painter_.SetPosition(position);
  }
}

void TForm1::SetLabel2Caption(const std::string& caption) {
  if (!Stopped()) {
    SetWindowTextW(controls_.Label2, win32::WideFromMessage(caption).c_str());
    layout_.FitLabel2Width();
    NameForScreenReaders(controls_.ProgressBar1, caption);
  }
}

void TForm1::ShowInformation(const std::string& text) {
  ShowBox(text, win32::WideFromUtf8(texts::kInformationCaption).c_str(),
          MB_OK | MB_ICONINFORMATION);
}

void TForm1::ShowErrorReport(const std::string& text) {
  ShowBox(text, win32::WideFromUtf8(texts::kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
}

// The system centres message boxes on the screen, as the operator's messages must be.
void TForm1::ShowBox(const std::string& text, const wchar_t* caption, UINT style) {
  if (Stopped()) {
    return;
  }
  // The operator reads the box against the progress the run had really made.
  progress_painter_.PaintNow();
  MessageBoxW(controls_.Form1, win32::WideFromMessage(text).c_str(), caption, style);
}

PumpReport TForm1::PumpMessages() {
  FollowAdapterForSessionEnd();
  progress_painter_.PaintIfDue();
  const std::uint64_t held_before_us = holds_.held_us();
  const std::uint64_t start_us = clock_.NowUs();
  MSG message;
  while (!Stopped() && clock_.NowUs() - start_us < kPumpBudgetUs &&
         PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      nesting_.HoldQuit(static_cast<int>(message.wParam));
      continue;
    }
    if (!HandleDialogMessage(&message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    // Once the operator lets go, the wait polls the adapter at once for what came in meanwhile.
    if (holds_.held_us() != held_before_us) {
      break;
    }
  }
  nesting_.FinishIfIdle();
  return PumpReport{!Stopped(), holds_.held_us() - held_before_us};
}

void TForm1::FollowAdapterForSessionEnd() {
  session_end_block_.Follow(controls_.Form1, state_.adapter.open);
}

}  // namespace trv::ui
