#include "ui/main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "adapter/adapter_link.h"
#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "ui/win32_text.h"

namespace trv::ui {
namespace {

constexpr wchar_t kFormClassName[] = L"TForm1";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// Sizes and places, in pixels at 96 dots per inch; the window scales them to its screen.
struct Bounds {
  int left;
  int top;
  int width;
  int height;
};
constexpr int kFormWidth = 388;  // outer size, fixed
constexpr int kFormHeight = 150;
constexpr Bounds kLabel1Bounds{16, 16, 77, 13};
constexpr Bounds kSelectedFileBounds{16, 72, 257, 13};  // grows downwards for long paths
constexpr Bounds kLabel2Bounds{16, 59, 64, 13};         // grows sideways for longer headings
constexpr Bounds kComboBox1Bounds{16, 32, 257, 21};
constexpr Bounds kOpenButtonBounds{288, 32, 75, 25};
constexpr Bounds kProgramButtonBounds{288, 64, 75, 25};
constexpr Bounds kProgressBar1Bounds{16, 80, 257, 16};
constexpr int kComboBoxItemHeight = 13;
constexpr int kComboBoxDropDownItems = 8;  // list rows shown before it scrolls
constexpr int kFontPoints = 8;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";

// Control identifiers stay clear of IDOK and IDCANCEL, which keyboard navigation sends.
enum ControlId : int {
  kComboBox1Id = 101,
  kOpenButtonId,
  kProgramButtonId,
  kProgressBar1Id,
};

constexpr int kProgressMaximum = 65536;

// Posted to itself once the window has closed and no handler is running any more.
constexpr UINT kDestroyClosedWindow = WM_APP + 1;

// Paths have no spaces to break at, so lines also break inside words, as an edit control does.
constexpr UINT kSelectedFileFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

// The dialog's filter: name and pattern, each ended by a zero, and a zero after the last.
std::wstring RomFileFilter() {
  return WideFromUtf8(texts::kRomFileFilterName) + L'\0' +
         WideFromUtf8(texts::kRomFileFilterPattern) + L'\0';
}
// No OFN_NOCHANGEDIR: the next dialog opens in the folder of the last file chosen.
constexpr DWORD kRomFileDialogFlags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

std::wstring ApplicationTitle() {
  return WideFromUtf8(texts::kApplicationTitle);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  // Present from Windows 10 on; older systems report one density for the whole screen.
  static const auto get_dpi_for_window =
      reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) {
      return dpi;
    }
  }
  const HDC dc = GetDC(window);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(window, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

RECT PrimaryScreen() {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcMonitor;
}

void CentreOnScreen(HWND window, const RECT& screen) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  SetWindowPos(window, nullptr, screen.left + (screen.right - screen.left - width) / 2,
               screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Width and height of `text` in `window`'s font, broken into lines by `format` within `width`.
SIZE MeasureText(HWND window, HFONT font, const std::wstring& text, int width, UINT format) {
  RECT bounds{0, 0, width, 0};
  const HDC dc = GetDC(window);
  const HGDIOBJ previous_font = SelectObject(dc, font);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, format | DT_CALCRECT);
  SelectObject(dc, previous_font);
  ReleaseDC(window, dc);
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
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

TForm1::TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, ProgrammerState& state)
    : driver_(driver),
      clock_(clock),
      files_(files),
      state_(state),
      OpenDialog1(RomFileFilter(), kRomFileDialogFlags) {}

TForm1::~TForm1() {
  if (Form1 != nullptr) {
    DestroyWindow(Form1);
  }
  if (font_ != nullptr) {
    DeleteObject(font_);
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
  const RECT screen = PrimaryScreen();
  if (!CreateWindowExW(0, kFormClassName, ApplicationTitle().c_str(), kFormStyle, screen.left,
                       screen.top, kFormWidth, kFormHeight, nullptr, nullptr, instance, this)) {
    return false;
  }
  SetWindowPos(Form1, nullptr, 0, 0, Scale(kFormWidth), Scale(kFormHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOnScreen(Form1, screen);
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
    form->dpi_ = WindowDpi(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return form->HandleMessage(message, wparam, lparam);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      ApplyDpi(dpi_);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      const POINT size{Scale(kFormWidth), Scale(kFormHeight)};
      limits->ptMinTrackSize = size;
      limits->ptMaxTrackSize = size;
      limits->ptMaxSize = size;
      return 0;
    }
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      ApplyDpi(HIWORD(wparam));
      SetWindowPos(Form1, nullptr, suggested->left, suggested->top, Scale(kFormWidth),
                   Scale(kFormHeight), SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
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
    case WM_MEASUREITEM: {
      // Sent while the combo box is created: its list rows have the laid-out height.
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (item->CtlType == ODT_COMBOBOX && item->itemID != static_cast<UINT>(-1)) {
        item->itemHeight = static_cast<UINT>(Scale(kComboBoxItemHeight));
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->hwndItem == SelectedFile) {
        DrawSelectedFile(*item);
        return TRUE;
      }
      if (item->CtlType == ODT_COMBOBOX) {
        DrawComboBoxItem(*item);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      HandleCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      // Destroyed without a close request: the adapter must still not be left open.
      if (!closed_) {
        closed_ = true;
        trv::FormClose(driver_, state_);
      }
      PostQuitMessage(quit_requested_ ? quit_code_ : 0);
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
  if (closed_ || handler_depth_ > 0) {
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
  Label1 = create(WC_STATICW, WideFromUtf8(texts::kDeviceLabel).c_str(),
                  WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0);
  SelectedFile = create(WC_STATICW, L"", WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX, 0);
  Label2 = create(WC_STATICW, WideFromUtf8(texts::kIdleHeading).c_str(),
                  WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0);
  // The list draws its own rows, so that they keep the laid-out height whatever the font.
  ComboBox1 = create(WC_COMBOBOXW, L"",
                     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL |
                         CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                     kComboBox1Id);
  OpenButton = create(WC_BUTTONW, WideFromUtf8(texts::kOpenButtonCaption).c_str(),
                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kOpenButtonId);
  ProgramButton = create(WC_BUTTONW, WideFromUtf8(texts::kProgramButtonCaption).c_str(),
                         WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kProgramButtonId);
  ProgressBar1 = create(PROGRESS_CLASSW, L"", WS_TABSTOP, kProgressBar1Id);
  SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, kProgressMaximum);
}

void TForm1::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  const HFONT previous_font = font_;
  font_ = CreateFontW(-MulDiv(kFontPoints, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE,
                      FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
  for (const HWND control :
       {Label1, SelectedFile, Label2, ComboBox1, OpenButton, ProgramButton, ProgressBar1}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  if (previous_font != nullptr) {
    DeleteObject(previous_font);
  }
  SendMessageW(ComboBox1, CB_SETITEMHEIGHT, 0, Scale(kComboBoxItemHeight));
  LayoutControls();
}

void TForm1::LayoutControls() {
  auto place = [&](HWND control, const Bounds& bounds, int height) {
    SetWindowPos(control, nullptr, Scale(bounds.left), Scale(bounds.top), Scale(bounds.width),
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(Label1, kLabel1Bounds, Scale(kLabel1Bounds.height));
  place(SelectedFile, kSelectedFileBounds, Scale(kSelectedFileBounds.height));
  FitSelectedFileHeight();
  place(Label2, kLabel2Bounds, Scale(kLabel2Bounds.height));
  FitLabel2Width();
  // A drop-down combo box's height includes its list; the closed field is fitted after.
  place(ComboBox1, kComboBox1Bounds,
        Scale(kComboBox1Bounds.height + kComboBoxDropDownItems * kComboBoxItemHeight + 2));
  FitComboBoxFieldHeight();
  place(OpenButton, kOpenButtonBounds, Scale(kOpenButtonBounds.height));
  place(ProgramButton, kProgramButtonBounds, Scale(kProgramButtonBounds.height));
  place(ProgressBar1, kProgressBar1Bounds, Scale(kProgressBar1Bounds.height));
}

// Label2 keeps its laid-out width for the idle heading; a longer heading widens it to fit.
void TForm1::FitLabel2Width() {
  const std::wstring caption = WindowText(Label2);
  int width = Scale(kLabel2Bounds.width);
  if (caption != WideFromUtf8(texts::kIdleHeading)) {
    width = std::max<int>(width,
                          MeasureText(Label2, font_, caption, 0, DT_SINGLELINE | DT_NOPREFIX).cx);
  }
  SetWindowPos(Label2, nullptr, 0, 0, width, Scale(kLabel2Bounds.height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::FitSelectedFileHeight() {
  const int width = Scale(kSelectedFileBounds.width);
  const SIZE text =
      MeasureText(SelectedFile, font_, WindowText(SelectedFile), width, kSelectedFileFormat);
  SetWindowPos(SelectedFile, nullptr, 0, 0, width,
               std::max<int>(Scale(kSelectedFileBounds.height), text.cy),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(SelectedFile, nullptr, TRUE);
}

// The closed field's height follows the font; it is set so the box keeps its laid-out height.
// Some systems report the field two pixels taller than it was set, so the setting is corrected by
// what is measured until the two agree.
void TForm1::FitComboBoxFieldHeight() {
  const int wanted_height = Scale(kComboBox1Bounds.height);
  auto field_height =
      static_cast<int>(SendMessageW(ComboBox1, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT bounds;
    GetWindowRect(ComboBox1, &bounds);
    const int closed_height = bounds.bottom - bounds.top;
    if (closed_height == wanted_height || field_height <= 0) {
      return;
    }
    field_height += wanted_height - closed_height;
    SendMessageW(ComboBox1, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field_height);
  }
}

void TForm1::DrawComboBoxItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {
    return;
  }
  const auto length = static_cast<int>(SendMessageW(ComboBox1, CB_GETLBTEXTLEN, item.itemID, 0));
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  SendMessageW(ComboBox1, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  RECT bounds = item.rcItem;
  bounds.left += Scale(2);
  const HGDIOBJ previous_font = SelectObject(item.hDC, font_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &bounds,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(item.hDC, previous_font);
  if ((item.itemState & ODS_FOCUS) != 0) {
    DrawFocusRect(item.hDC, &item.rcItem);
  }
}

void TForm1::DrawSelectedFile(const DRAWITEMSTRUCT& item) {
  RECT bounds = item.rcItem;
  FillRect(item.hDC, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  const std::wstring text = WindowText(SelectedFile);
  const HGDIOBJ previous_font = SelectObject(item.hDC, font_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &bounds, kSelectedFileFormat);
  SelectObject(item.hDC, previous_font);
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

int TForm1::Scale(int pixels_at_96_dpi) const {
  return MulDiv(pixels_at_96_dpi, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
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
                 reinterpret_cast<LPARAM>(WideFromAnsi(description).c_str()));
  }
}

void TForm1::OpenButtonClick() {
  if (const auto path = OpenDialog1.Execute(Form1)) {
    SetSelectedFileCaption(*path);
  }
}

void TForm1::ProgramButtonClick() {
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

void TForm1::FinishDeferredWork() {
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
  if (closed_) {
    return;
  }
  SetWindowTextW(SelectedFile, path.c_str());
  FitSelectedFileHeight();
}

std::string TForm1::DeviceDescription() {
  return closed_ ? std::string() : AnsiFromWide(WindowText(ComboBox1));
}

std::string TForm1::RomFilePath() {
  return closed_ ? std::string() : Utf8FromWide(WindowText(SelectedFile));
}

void TForm1::SetInputControlsEnabled(bool enabled) {
  if (closed_) {
    return;
  }
  const HWND focus = GetFocus();
  if (!enabled && focus != nullptr && IsChild(Form1, focus)) {
    saved_focus_ = focus;
  }
  for (const HWND control : {ComboBox1, OpenButton, ProgramButton}) {
    EnableWindow(control, enabled);
  }
  // Disabling took the focus away; it comes back with the controls.
  if (enabled && GetActiveWindow() == Form1 && GetFocus() == nullptr) {
    RestoreFocus();
  }
}

void TForm1::SetProgressBarVisible(bool visible) {
  if (!closed_) {
    ShowWindow(ProgressBar1, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetSelectedFileVisible(bool visible) {
  if (!closed_) {
    ShowWindow(SelectedFile, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) {
  if (!closed_) {
    SendMessageW(ProgressBar1, PBM_SETRANGE32, minimum, maximum);
  }
}

void TForm1::SetProgressPosition(std::uint32_t position) {
  if (!closed_) {
    SendMessageW(ProgressBar1, PBM_SETPOS, position, 0);
  }
}

void TForm1::SetLabel2Caption(const std::string& caption) {
  if (!closed_) {
    SetWindowTextW(Label2, WideFromMessage(caption).c_str());
    FitLabel2Width();
  }
}

void TForm1::ShowInformation(const std::string& text) {
  ShowBox(text, WideFromUtf8(texts::kInformationCaption).c_str(), MB_OK | MB_ICONINFORMATION);
}

void TForm1::ShowErrorReport(const std::string& text) {
  ShowBox(text, ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
}

// The system centres message boxes on the screen, as the operator's messages must be.
void TForm1::ShowBox(const std::string& text, const wchar_t* caption, UINT style) {
  if (!closed_) {
    MessageBoxW(Form1, WideFromMessage(text).c_str(), caption, style);
  }
}

bool TForm1::PumpMessages() {
  MSG message;
  while (!closed_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
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
  return !closed_;
}

}  // namespace trv::ui
