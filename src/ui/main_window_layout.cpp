// Form1's placement, its scaling to the screen's density, the measuring of its texts and the
// drawing of the controls it draws itself.
#include <algorithm>

#include "common/operator_texts.h"
#include "ui/main_window.h"
#include "win32/entry_points.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

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
constexpr int kComboBoxTextIndent = 2;
constexpr int kFontPoints = 8;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";

// Paths have no spaces to break at, so lines also break inside words, as an edit control does.
constexpr UINT kSelectedFileFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
// Stands for the folders left out of a path too long to show whole: one narrow character, where
// three full stops could be taken for part of a real name ("v1...3").
constexpr wchar_t kEllipsis = L'\u2026';
constexpr wchar_t kPathSeparators[] = L"\\/";

RECT PrimaryScreen() {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcMonitor;
}

// Width and height of `text` in `font`, broken into lines by `format` within `width`.
SIZE MeasureText(HWND window, HFONT font, const std::wstring& text, int width, UINT format) {
  RECT bounds{0, 0, width, 0};
  const WindowDc dc(window);
  const SelectedObject selected(dc.get(), font);
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &bounds, format | DT_CALCRECT);
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// Where the path's root ends: after the drive (C:\) or the server (\\server\).
std::size_t RootEnd(const std::wstring& path) {
  const std::size_t separator =
      path.find_first_of(kPathSeparators, path.find_first_not_of(kPathSeparators));
  return separator == std::wstring::npos ? 0 : separator + 1;
}

// `path` with `count` characters from the middle of its folders replaced by the ellipsis; the
// root and the file name, with the separator before it, stay whole.
std::wstring WithoutFolderMiddle(const std::wstring& path, std::size_t count) {
  const std::size_t folders = path.find_last_of(kPathSeparators) - RootEnd(path);
  const std::size_t start = RootEnd(path) + (folders - count) / 2;
  return path.substr(0, start) + kEllipsis + path.substr(start + count);
}

}  // namespace

RECT TForm1::CreationBounds() const {
  const RECT screen = PrimaryScreen();
  return RECT{screen.left, screen.top, screen.left + kFormWidth, screen.top + kFormHeight};
}

void TForm1::FitToPrimaryScreen() {
  const RECT screen = PrimaryScreen();
  const int width = Scale(kFormWidth);
  const int height = Scale(kFormHeight);
  SetWindowPos(Form1, nullptr, screen.left + (screen.right - screen.left - width) / 2,
               screen.top + (screen.bottom - screen.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::LimitSize(MINMAXINFO& limits) const {
  const POINT size{Scale(kFormWidth), Scale(kFormHeight)};
  limits.ptMinTrackSize = size;
  limits.ptMaxTrackSize = size;
  limits.ptMaxSize = size;
}

void TForm1::OnDpiChanged(UINT dpi, const RECT& suggested) {
  ApplyDpi(dpi);
  SetWindowPos(Form1, nullptr, suggested.left, suggested.top, Scale(kFormWidth), Scale(kFormHeight),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT TForm1::WindowDpi() const {
  // Present from Windows 10 on; older systems report one density for the whole screen.
  static const auto get_dpi_for_window =
      win32::OptionalEntry<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  if (get_dpi_for_window != nullptr) {
    const UINT dpi = get_dpi_for_window(Form1);
    if (dpi != 0) {
      return dpi;
    }
  }
  const WindowDc dc(Form1);
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void TForm1::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  const HFONT font =
      CreateFontW(-MulDiv(kFontPoints, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE,
                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
  for (const HWND control :
       {Label1, SelectedFile, Label2, ComboBox1, OpenButton, ProgramButton, ProgressBar1}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  // Only now that no control draws with it any more.
  font_.Reset(font);
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
  const std::wstring caption = win32::WindowText(Label2);
  int width = Scale(kLabel2Bounds.width);
  if (caption != win32::WideFromUtf8(texts::kIdleHeading)) {
    width = std::max<int>(
        width, MeasureText(Label2, font_.get(), caption, 0, DT_SINGLELINE | DT_NOPREFIX).cx);
  }
  SetWindowPos(Label2, nullptr, 0, 0, width, Scale(kLabel2Bounds.height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::FitSelectedFileHeight() {
  const int width = Scale(kSelectedFileBounds.width);
  const SIZE text =
      MeasureText(SelectedFile, font_.get(), SelectedFileShownText(), width, kSelectedFileFormat);
  SetWindowPos(SelectedFile, nullptr, 0, 0, width,
               std::max<int>(Scale(kSelectedFileBounds.height), text.cy),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(SelectedFile, nullptr, TRUE);
}

// The path whole if its lines fit between the label's top and the window's bottom edge.
// Otherwise the fewest characters of its folders that must go for it to fit are left out; a file
// name too long to fit even so keeps only the root before it, and is cut at the window's edge.
std::wstring TForm1::SelectedFileShownText() const {
  const std::wstring path = win32::WindowText(SelectedFile);
  RECT client{};
  GetClientRect(Form1, &client);
  const int room = client.bottom - Scale(kSelectedFileBounds.top);
  const auto fits = [&](const std::wstring& text) {
    return MeasureText(SelectedFile, font_.get(), text, Scale(kSelectedFileBounds.width),
                       kSelectedFileFormat)
               .cy <= room;
  };
  const std::size_t name_separator = path.find_last_of(kPathSeparators);
  if (fits(path) || name_separator == std::wstring::npos || name_separator <= RootEnd(path)) {
    return path;
  }
  // The lines needed do not grow as more characters are left out, so the fewest are found by
  // halving.
  std::size_t fewest = 1;
  std::size_t most = name_separator - RootEnd(path);
  while (fewest < most) {
    const std::size_t count = fewest + (most - fewest) / 2;
    if (fits(WithoutFolderMiddle(path, count))) {
      most = count;
    } else {
      fewest = count + 1;
    }
  }
  return WithoutFolderMiddle(path, fewest);
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

// Asked while the combo box is created: its list rows have the laid-out height.
bool TForm1::MeasureItem(MEASUREITEMSTRUCT& item) const {
  if (item.CtlType != ODT_COMBOBOX || item.itemID == static_cast<UINT>(-1)) {
    return false;
  }
  item.itemHeight = static_cast<UINT>(Scale(kComboBoxItemHeight));
  return true;
}

bool TForm1::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem == SelectedFile) {
    DrawSelectedFile(item);
    return true;
  }
  if (item.CtlType == ODT_COMBOBOX) {
    DrawComboBoxItem(item);
    return true;
  }
  return false;
}

void TForm1::DrawComboBoxItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {
    return;
  }
  const auto length =
      std::max(static_cast<int>(SendMessageW(ComboBox1, CB_GETLBTEXTLEN, item.itemID, 0)), 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(ComboBox1, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  RECT bounds = item.rcItem;
  bounds.left += Scale(kComboBoxTextIndent);
  {
    const SelectedObject selected_font(item.hDC, font_.get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &bounds,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if ((item.itemState & ODS_FOCUS) != 0) {
    DrawFocusRect(item.hDC, &item.rcItem);
  }
}

void TForm1::DrawSelectedFile(const DRAWITEMSTRUCT& item) {
  RECT bounds = item.rcItem;
  FillRect(item.hDC, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  selected_file_drawn_ = SelectedFileShownText();
  const SelectedObject selected_font(item.hDC, font_.get());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(item.hDC, selected_file_drawn_.c_str(), static_cast<int>(selected_file_drawn_.size()),
            &bounds, kSelectedFileFormat);
}

int TForm1::Scale(int pixels_at_96_dpi) const {
  return MulDiv(pixels_at_96_dpi, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
}

}  // namespace trv::ui
