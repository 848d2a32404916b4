#include "ui/main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include "adapter/adapter_link.h"
#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

constexpr wchar_t kFormClassName[] = L"TForm1";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

constexpr std::uint32_t kProgressMaximum = 65536;

// Posted to itself once the window has closed and no handler is running any more.
constexpr UINT kDestroyClosedWindow = WM_APP + 1;

// The dialog's filter: name and pattern, each ended by a zero, and a zero after the last.
std::wstring RomFileFilter() {
  return win32::WideFromUtf8(texts::kRomFileFilterName) + L'\0' +
         win32::WideFromUtf8(texts::kRomFileFilterPattern) + L'\0';
}
// No OFN_NOCHANGEDIR: the next dialog opens in the folder of the last file chosen.
constexpr DWORD kRomFileDialogFlags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

std::wstring ApplicationTitle() {
  return win32::WideFromUtf8(texts::kApplicationTitle);
}

}  // namespace

// Counts the handlers on the stack; when the outermost one returns, the work it held back is
// done, so nothing is torn down under a handler that is still running.
class TForm1::HandlerScope {
 public:
  explicit HandlerScope(TForm1& form) : form_(form) { ++form_.handler_depth_; }
  ~HandlerScope() {
    if (--form_.handler_depth_ == 0) {
      form_.FinishDeferredWork();
    }
  }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  TForm1& form_;
};

// For as long as a programming run lasts, the session is asked not to end: ending it would leave
// the chip half-written. Windows shows the reason to the user who logs off or shuts down.
class TForm1::SessionEndBlock {
 public:
  explicit SessionEndBlock(TForm1& form) : form_(form) {
    ShutdownBlockReasonCreate(form_.Form1,
                              win32::WideFromUtf8(texts::kSessionEndBlockReason).c_str());
    form_.programming_ = true;
  }
  ~SessionEndBlock() {
    ShutdownBlockReasonDestroy(form_.Form1);
    form_.programming_ = false;
  }
  SessionEndBlock(const SessionEndBlock&) = delete;
  SessionEndBlock& operator=(const SessionEndBlock&) = delete;

 private:
  TForm1& form_;
};

TForm1::TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, ProgrammerState& state)
    : driver_(driver),
      clock_(clock),
      files_(files),
      state_(state),
      OpenDialog1(RomFileFilter(), kRomFileDialogFlags),
      progress_painter_(clock) {}

TForm1::~TForm1() {
  if (Form1 != nullptr) {
    DestroyWindow(Form1);
  }
}

bool TForm1::Create(HINSTANCE instance, int show_command) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kFormClassName;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  // Created on the primary screen so that it takes that screen's density from the start.
  const RECT bounds = CreationBounds();
  if (!CreateWindowExW(0, kFormClassName, ApplicationTitle().c_str(), kFormStyle, bounds.left,
                       bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr,
                       nullptr, instance, this)) {
    return false;
  }
  FitToPrimaryScreen();
  ShowWindow(Form1, show_command);
  UpdateWindow(Form1);
  return true;
}

bool TForm1::HandleDialogMessage(MSG* message) {
  return Form1 != nullptr && IsDialogMessageW(Form1, message);
}

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->Form1 = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  try {
    return form->HandleMessage(message, wparam, lparam);
  } catch (...) {
    form->HandlerFailed();
    return message == WM_CREATE ? -1 : 0;
  }
}

LRESULT CALLBACK TForm1::SelectedFileProc(HWND label, UINT message, WPARAM wparam, LPARAM lparam,
                                          UINT_PTR id, DWORD_PTR form) {
  const LRESULT result = DefSubclassProc(label, message, wparam, lparam);
  if (message == WM_SETTEXT) {
    auto* owner = reinterpret_cast<TForm1*>(form);
    try {
      owner->FitSelectedFileHeight();
    } catch (...) {
      owner->HandlerFailed();
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(label, &SelectedFileProc, id);
  }
  return result;
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      ApplyDpi(WindowDpi());
      return 0;
    case WM_GETMINMAXINFO:
      LimitSize(*reinterpret_cast<MINMAXINFO*>(lparam));
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_SIZE:
      // The room below SelectedFile has changed with the client area.
      FitSelectedFileHeight();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Form1, focus)) {
          saved_focus_ = focus;
        }
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_MEASUREITEM:
      if (MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam))) {
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) {
        return TRUE;
      }
      break;
    case WM_COMMAND:
      HandleCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_QUERYENDSESSION:
      // Between runs nothing is kept that could be saved, and the adapter is closed once the end
      // is confirmed; during a run the chip would be left half-written.
      return programming_ ? FALSE : TRUE;
    case WM_ENDSESSION:
      // The process may be ended without another message after this one, so the adapter is
      // closed now, as for a closed window; a run under way stops at its next pump.
      if (wparam) {
        FormClose();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(quit_requested_ ? quit_code_ : 0);
      // Destroyed without a close request: the adapter must still not be left open.
      if (!closed_) {
        closed_ = true;
        trv::FormClose(driver_, state_);
      }
      return 0;
    case kDestroyClosedWindow:
      DestroyWindow(Form1);
      return 0;
    case WM_NCDESTROY: {
      const HWND window = Form1;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      Form1 = Label1 = SelectedFile = Label2 = ComboBox1 = OpenButton = ProgramButton =
          ProgressBar1 = saved_focus_ = nullptr;
      return DefWindowProcW(window, message, wparam, lparam);
    }
  }
  return DefWindowProcW(Form1, message, wparam, lparam);
}

void TForm1::HandleCommand(int control_id, int notification) {
  // One handler at a time: a click that was already queued when a run disabled the controls
  // must not start a second one inside the first.
  if (Stopped() || handler_depth_ > 0) {
    return;
  }
  HandlerScope scope(*this);
  if (control_id == kComboBox1Id && notification == CBN_DROPDOWN) {
    ComboBox1DropDown();
  } else if (control_id == kOpenButtonId && notification == BN_CLICKED) {
    OpenButtonClick();
  } else if (control_id == kProgramButtonId && notification == BN_CLICKED) {
    ProgramButtonClick();
  }
}

void TForm1::CreateControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Form1, GWLP_HINSTANCE));
  // Creation order is also the tab order of the controls that take the focus.
  auto create = [&](const wchar_t* window_class, const wchar_t* text, DWORD style, int id) {
    return CreateWindowExW(0, window_class, text, WS_CHILD | style, 0, 0, 0, 0, Form1,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  Label1 = create(WC_STATICW, win32::WideFromUtf8(texts::kDeviceLabel).c_str(),
                  WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0);
  SelectedFile = create(WC_STATICW, L"", WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX, 0);
  SetWindowSubclass(SelectedFile, &SelectedFileProc, 0, reinterpret_cast<DWORD_PTR>(this));
  Label2 = create(WC_STATICW, win32::WideFromUtf8(texts::kIdleHeading).c_str(),
                  WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0);
  // The list draws its own rows, so that they keep the laid-out height whatever the font.
  ComboBox1 = create(WC_COMBOBOXW, L"",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL |
                         CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                     kComboBox1Id);
  OpenButton = create(WC_BUTTONW, win32::WideFromUtf8(texts::kOpenButtonCaption).c_str(),
                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kOpenButtonId);
  ProgramButton = create(WC_BUTTONW, win32::WideFromUtf8(texts::kProgramButtonCaption).c_str(),
                         WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kProgramButtonId);
  // Last in the order, but no tab stop: nothing on it can be operated.
  ProgressBar1 = create(PROGRESS_CLASSW, L"", 0, kProgressBar1Id);
  progress_painter_.Attach(ProgressBar1);
  progress_painter_.SetRange(0, kProgressMaximum);
}

// Gives the focus back to the control that had it, or to the first one that can take it.
void TForm1::RestoreFocus() {
  HWND target = saved_focus_;
  if (target == nullptr || !IsWindow(target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(Form1, nullptr, FALSE);
  }
  if (target != nullptr) {
    SetFocus(target);
  }
}

void TForm1::ComboBox1DropDown() {
  SendMessageW(ComboBox1, CB_RESETCONTENT, 0, 0);
  SetWindowTextW(ComboBox1, L"");
  if (!PumpMessages()) {
    return;
  }
  const AdapterList adapters = EnumerateAdapters(driver_, clock_);
  if (adapters.none_attached) {
    ShowInformation(texts::kNoDevicesMessage);
    return;
  }
  for (const std::string& description : adapters.descriptions) {
    SendMessageW(ComboBox1, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(win32::WideFromAnsi(description).c_str()));
  }
}

void TForm1::OpenButtonClick() {
  if (const auto path = OpenDialog1.Execute(Form1)) {
    SetSelectedFileCaption(*path);
  }
}

void TForm1::ProgramButtonClick() {
  const SessionEndBlock block(*this);
  Programmer programmer{driver_, clock_, *this, files_, state_};
  trv::ProgramButtonClick(programmer);
}

void TForm1::FormClose() {
  if (closed_) {
    return;
  }
  closed_ = true;
  trv::FormClose(driver_, state_);
  // A handler may still be on the stack: it unwinds first, and the window goes after it.
  ShowWindow(Form1, SW_HIDE);
  if (handler_depth_ == 0) {
    FinishDeferredWork();
  }
}

void TForm1::HandlerFailed() {
  failed_ = true;
  if (handler_depth_ == 0) {
    FinishDeferredWork();
  }
}

void TForm1::RecoverFromFailure() noexcept {
  failed_ = false;
  // What the stopped run left in the link buffers is cleared by the next run as it starts.
  try {
    trv::FormClose(driver_, state_);
  } catch (...) {
    // The driver failed again; its handle is not used any more either way.
    state_.adapter.open = false;
  }
  if (closed_) {
    return;
  }
  // Counted as a handler, so a failure inside the report's own message loop waits for it.
  ++handler_depth_;
  try {
    SetProgressBarVisible(false);
    SetSelectedFileVisible(true);
    SetLabel2Caption(texts::kIdleHeading);
    SetInputControlsEnabled(true);
    ShowErrorReport(texts::kUnexpectedErrorMessage);
  } catch (...) {
    // Not even the report could be shown: the controls at least are usable again.
    for (const HWND control : {ComboBox1, OpenButton, ProgramButton}) {
      EnableWindow(control, TRUE);
    }
  }
  --handler_depth_;
}

void TForm1::FinishDeferredWork() noexcept {
  while (failed_) {
    RecoverFromFailure();
  }
  if (closed_) {
    // Destroyed from the message loop, when no control's own code is on the stack either: the
    // combo box, for one, is still inside its click when it reports the list opening.
    if (Form1 != nullptr) {
      PostMessageW(Form1, kDestroyClosedWindow, 0, 0);
    }
  } else if (quit_requested_) {
    quit_requested_ = false;
    PostQuitMessage(quit_code_);
  }
}

void TForm1::SetSelectedFileCaption(const std::wstring& path) {
  if (Stopped()) {
    return;
  }
  SetWindowTextW(SelectedFile, path.c_str());
}

std::string TForm1::DeviceDescription() {
  return Stopped() ? std::string() : win32::AnsiFromWide(win32::WindowText(ComboBox1));
}

std::string TForm1::RomFilePath() {
  return Stopped() ? std::string() : win32::Utf8FromWide(win32::WindowText(SelectedFile));
}

void TForm1::SetInputControlsEnabled(bool enabled) {
  if (Stopped()) {
    return;
  }
  const HWND focus = GetFocus();
  if (!enabled && focus != nullptr && IsChild(Form1, focus)) {
    saved_focus_ = focus;
  }
  for (const HWND control : {ComboBox1, OpenButton, ProgramButton}) {
    EnableWindow(control, enabled);
  }
  // The focus comes back with the controls. Disabling them left it nowhere, or, if a box closed
  // while they were off, on the window itself: the system gives it to a window it activates when
  // no control can take it.
  if (enabled && GetActiveWindow() == Form1 && !IsChild(Form1, GetFocus())) {
    RestoreFocus();
  }
}

void TForm1::SetProgressBarVisible(bool visible) {
  if (!Stopped()) {
    ShowWindow(ProgressBar1, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetSelectedFileVisible(bool visible) {
  if (!Stopped()) {
    ShowWindow(SelectedFile, visible ? SW_SHOW : SW_HIDE);
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
    SetWindowTextW(Label2, win32::WideFromMessage(caption).c_str());
    FitLabel2Width();
  }
}

void TForm1::ShowInformation(const std::string& text) {
  ShowBox(text, win32::WideFromUtf8(texts::kInformationCaption).c_str(),
          MB_OK | MB_ICONINFORMATION);
}

void TForm1::ShowErrorReport(const std::string& text) {
  ShowBox(text, ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
}

// The system centres message boxes on the screen, as the operator's messages must be.
void TForm1::ShowBox(const std::string& text, const wchar_t* caption, UINT style) {
  if (Stopped()) {
    return;
  }
  // The operator reads the box against the progress the run had really made.
  progress_painter_.PaintNow();
  MessageBoxW(Form1, win32::WideFromMessage(text).c_str(), caption, style);
}

bool TForm1::PumpMessages() {
  progress_painter_.PaintIfDue();
  MSG message;
  while (!Stopped() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Kept until the handler has unwound, so the program still ends afterwards.
      quit_requested_ = true;
      quit_code_ = static_cast<int>(message.wParam);
      continue;
    }
    if (!HandleDialogMessage(&message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (handler_depth_ == 0) {
    FinishDeferredWork();
  }
  return !Stopped();
}

}  // namespace trv::ui
