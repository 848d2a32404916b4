#include "ui/operation_window.h"

#include "common/operator_texts.h"
#include "ui/resource_ids.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

// The program's icon in the size the system draws at `width` and `height` (metrics), from the
// picture of that size in the executable. Null where the executable has none, as the tests' has
// not: the window then has the system's icon.
HICON ProgramIcon(HINSTANCE instance, int width, int height) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TRV_PROGRAM_ICON), IMAGE_ICON,
                                       GetSystemMetrics(width), GetSystemMetrics(height),
                                       LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

OperationWindow::OperationWindow(Owner& owner, HWND& window, const Identity& identity,
                                 AdapterDriver* driver, Clock& clock, ProgrammerState& state,
                                 WindowServices& services)
    : owner_(owner),
      window_(window),
      identity_(identity),
      driver_(driver),
      state_(state),
      holds_(clock),
      pump_(clock, nesting_, holds_, progress_painter_),
      session_end_block_(services, win32::WideFromUtf8(identity.session_end_reason)) {}

bool OperationWindow::Create(HINSTANCE instance, const RECT& bounds) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &WindowProc;
  window_class.hInstance = instance;
  // The title bar shows the small icon; Alt+Tab and the taskbar may show the large one.
  window_class.hIcon = ProgramIcon(instance, SM_CXICON, SM_CYICON);
  window_class.hIconSm = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = identity_.class_name;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  return CreateWindowExW(0, identity_.class_name, win32::WideFromUtf8(identity_.title).c_str(),
                         kFormStyle, bounds.left, bounds.top, bounds.right - bounds.left,
                         bounds.bottom - bounds.top, nullptr, nullptr, instance, this) != nullptr;
}

void OperationWindow::Show(int show_command) {
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
}

void OperationWindow::Destroy() {
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
}

bool OperationWindow::HandleDialogMessage(MSG* message) {
  return window_ != nullptr && IsDialogMessageW(window_, message);
}

LRESULT CALLBACK OperationWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form =
        static_cast<OperationWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<OperationWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

LRESULT OperationWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (owner_.HandleOwnMessage(message, wparam, lparam, &result)) {
    return result;
  }
  switch (message) {
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
      // While an adapter is open the chip could be left half-written, in its loader or held in
      // reset. Otherwise nothing is kept that could be saved, and an adapter is closed once the
      // end is confirmed.
      FollowAdapterForSessionEnd();
      return state_.adapter.open ? FALSE : TRUE;
    case WM_ENDSESSION:
      // The process may be ended without another message after this one, so the adapter is
      // closed now, as for a closed window; an operation under way stops at its next pump.
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
      DestroyWindow(window_);
      return 0;
    case WM_NCDESTROY: {
      const HWND window = window_;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      owner_.ForgetControls();
      window_ = nullptr;
      focus_.Forget();
      session_end_block_.Forget();
      return DefWindowProcW(window, message, wparam, lparam);
    }
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void OperationWindow::HandleCommand(int control_id, int notification) {
  if (Stopped() || nesting_.HandlerRunning()) {
    return;
  }
  const HandlerNesting::Scope scope(nesting_);
  owner_.HandleCommand(control_id, notification);
}

void OperationWindow::FormClose() {
  if (nesting_.closed()) {
    return;
  }
  nesting_.MarkClosed();
  if (state_.adapter.returning_to_normal) {
    // The operation restarts the chip and closes the adapter within a fraction of a second, at
    // its next pump: the window stays until then, with the busy cursor and nothing to press, so
    // that the operator does not take the board away while the chip restarts.
    owner_.EnableInputs(false);
  } else {
    CloseAdapter();
    // A handler may still be on the stack: it unwinds first, and the window goes after it.
    ShowWindow(window_, SW_HIDE);
  }
  nesting_.FinishIfIdle();
}

PumpReport OperationWindow::PumpMessages() {
  FollowAdapterForSessionEnd();
  return pump_.Pump(window_);
}

void OperationWindow::ShowInformation(const std::string& text) {
  ShowBox(text, texts::kInformationCaption, MB_OK | MB_ICONINFORMATION);
}

void OperationWindow::ShowError(const std::string& text) {
  ShowBox(text, identity_.title, MB_OK | MB_ICONERROR);
}

// The system centres message boxes on the screen, as the operator's messages must be.
void OperationWindow::ShowBox(const std::string& text, const char* caption, UINT style) {
  if (Stopped()) {
    return;
  }
  // The operator reads the box against the progress the operation had really made.
  progress_painter_.PaintNow();
  MessageBoxW(window_, win32::WideFromMessage(text).c_str(), win32::WideFromUtf8(caption).c_str(),
              style);
}

// The close handler's: it leaves an adapter that an operation is returning to normal to it.
void OperationWindow::CloseAdapter() {
  if (driver_ != nullptr) {
    trv::FormClose(*driver_, state_);
  }
}

void OperationWindow::FollowAdapterForSessionEnd() {
  session_end_block_.Follow(window_, state_.adapter.open);
}

void OperationWindow::RecoverFromFailure() noexcept {
  // What the stopped operation left in the link buffers is cleared by the next as it starts.
  try {
    CloseAdapter();
  } catch (...) {
    // The driver failed again; its handle is not used any more either way.
    state_.adapter.open = false;
  }
  if (nesting_.closed()) {
    return;
  }
  try {
    owner_.RestoreAfterFailure();
    ShowError(texts::kUnexpectedErrorMessage);
  } catch (...) {
    // Not even the report could be shown: the controls at least are usable again.
    owner_.EnableInputs(true);
  }
}

// Destroyed from the message loop, when no control's own code is on the stack either: the combo
// box, for one, is still inside its click when it reports the list opening.
void OperationWindow::DestroyClosedWindow() noexcept {
  if (window_ != nullptr) {
    PostMessageW(window_, kDestroyClosedWindow, 0, 0);
  }
}

}  // namespace trv::ui
