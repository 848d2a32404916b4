#include "ui/form_layout.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/path_shortening.h"
#include "ui/screen_density.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

// Sizes and places, in pixels at 96 dots per inch; the window scales them to its screen.
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

// Paths have no spaces to break at, so lines also break inside words, as an edit control does.
constexpr UINT kSelectedFileFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
// Width and height of `text` in `font`, broken into lines by `format` within `width`.
SIZE MeasureText(HWND window, HFONT font, const std::wstring& text, int width, UINT format) {
  RECT bounds{0, 0, width, 0};
  const WindowDc dc(window);
  const SelectedObject selected(dc.get(), font);
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &bounds, format | DT_CALCRECT);
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

}  // namespace

RECT FormLayout::CreationBounds() {
  return PrimaryScreenCorner(SIZE{kFormWidth, kFormHeight});
}

void FormLayout::FitToPrimaryScreen() {
  CentreOnPrimaryScreen(form_.Form1, SIZE{Scale(kFormWidth), Scale(kFormHeight)});
}

void FormLayout::Attach() {
  SetWindowSubclass(form_.SelectedFile, &SelectedFileProc, 0, reinterpret_cast<DWORD_PTR>(this));
  ApplyDpi(WindowDpi(form_.Form1));
}

bool FormLayout::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_GETMINMAXINFO:
      LimitSize(*reinterpret_cast<MINMAXINFO*>(lparam));
      return true;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return true;
    case WM_SIZE:
      // The room below SelectedFile has changed with the client area.
      FitSelectedFileHeight();
      return true;
    case WM_MEASUREITEM:
      *result = TRUE;
      return MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
    case WM_DRAWITEM:
      *result = TRUE;
      return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    default:
      return false;
  }
}

LRESULT CALLBACK FormLayout::SelectedFileProc(HWND label, UINT message, WPARAM wparam,
                                              LPARAM lparam, UINT_PTR id, DWORD_PTR layout) {
  const LRESULT result = DefSubclassProc(label, message, wparam, lparam);
  if (message == WM_SETTEXT) {
    auto* owner = reinterpret_cast<FormLayout*>(layout);
    try {
      owner->FitSelectedFileHeight();
    } catch (...) {
      owner->nesting_.Fail();
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(label, &SelectedFileProc, id);
  }
  return result;
}

void FormLayout::LimitSize(MINMAXINFO& limits) const {
  const POINT size{Scale(kFormWidth), Scale(kFormHeight)};
  limits.ptMinTrackSize = size;
  limits.ptMaxTrackSize = size;
  limits.ptMaxSize = size;
}

void FormLayout::OnDpiChanged(UINT dpi, const RECT& suggested) {
  ApplyDpi(dpi);
  SetWindowPos(form_.Form1, nullptr, suggested.left, suggested.top, Scale(kFormWidth),
               Scale(kFormHeight), SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormLayout::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  const HFONT font = CreateWindowFont(dpi_);
  for (const HWND control : {form_.Label1, form_.SelectedFile, form_.Label2, form_.ComboBox1,
                             form_.OpenButton, form_.ProgramButton, form_.ProgressBar1}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  // Only now that no control draws with it any more.
  font_.Reset(font);
  SendMessageW(form_.ComboBox1, CB_SETITEMHEIGHT, 0, Scale(kComboBoxItemHeight));
  LayoutControls();
}

void FormLayout::LayoutControls() {
  auto place = [&](HWND control, const Bounds& bounds, int height) {
    SetWindowPos(control, nullptr, Scale(bounds.left), Scale(bounds.top), Scale(bounds.width),
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(form_.Label1, kLabel1Bounds, Scale(kLabel1Bounds.height));
  place(form_.SelectedFile, kSelectedFileBounds, Scale(kSelectedFileBounds.height));
  FitSelectedFileHeight();
  place(form_.Label2, kLabel2Bounds, Scale(kLabel2Bounds.height));
  FitLabel2Width();
  // A drop-down combo box's height includes its list; the closed field is fitted after.
  place(form_.ComboBox1, kComboBox1Bounds,
        Scale(kComboBox1Bounds.height + kComboBoxDropDownItems * kComboBoxItemHeight + 2));
  FitComboBoxFieldHeight();
  place(form_.OpenButton, kOpenButtonBounds, Scale(kOpenButtonBounds.height));
  place(form_.ProgramButton, kProgramButtonBounds, Scale(kProgramButtonBounds.height));
  place(form_.ProgressBar1, kProgressBar1Bounds, Scale(kProgressBar1Bounds.height));
}

// Label2 keeps its laid-out width unless its caption is wider, as the pass headings are.
void FormLayout::FitLabel2Width() {
  const SIZE caption = MeasureText(form_.Label2, font_.get(), win32::WindowText(form_.Label2), 0,
                                   DT_SINGLELINE | DT_NOPREFIX);
  SetWindowPos(form_.Label2, nullptr, 0, 0, std::max<int>(Scale(kLabel2Bounds.width), caption.cx),
               Scale(kLabel2Bounds.height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormLayout::FitSelectedFileHeight() {
  const int width = Scale(kSelectedFileBounds.width);
  selected_file_shown_ = SelectedFileShownText();
  const SIZE text = MeasureText(form_.SelectedFile, font_.get(), selected_file_shown_, width,
                                kSelectedFileFormat);
  // Never past the window's bottom edge, should even the shortest text need more.
  SetWindowPos(
      form_.SelectedFile, nullptr, 0, 0, width,
      std::max<int>(Scale(kSelectedFileBounds.height), std::min<int>(text.cy, SelectedFileRoom())),
      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(form_.SelectedFile, nullptr, TRUE);
}

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

int FormLayout::SelectedFileRoom() const {
  RECT client{};
  GetClientRect(form_.Form1, &client);
  return client.bottom - Scale(kSelectedFileBounds.top);
}

// The path whole if its lines fit above the window's bottom edge, else shortened until they do.
std::wstring FormLayout::SelectedFileShownText() const {
  const auto fits = [&, room = SelectedFileRoom()](const PathText& text) {
    return MeasureText(form_.SelectedFile, font_.get(), std::wstring(text.begin(), text.end()),
                       Scale(kSelectedFileBounds.width), kSelectedFileFormat)
               .cy <= room;
  };
  const std::wstring path = win32::WindowText(form_.SelectedFile);
  const PathText shown = ShortenedPath(PathText(path.begin(), path.end()), fits);
  return std::wstring(shown.begin(), shown.end());
}

// The closed field's height follows the font; it is set so the box keeps its laid-out height.
// Some systems report the field two pixels taller than it was set, so the setting is corrected by
// what is measured until the two agree.
void FormLayout::FitComboBoxFieldHeight() {
  const int wanted_height = Scale(kComboBox1Bounds.height);
  auto field_height =
      static_cast<int>(SendMessageW(form_.ComboBox1, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT bounds;
    GetWindowRect(form_.ComboBox1, &bounds);
    const int closed_height = bounds.bottom - bounds.top;
    if (closed_height == wanted_height || field_height <= 0) {
      return;
    }
    field_height += wanted_height - closed_height;
    SendMessageW(form_.ComboBox1, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field_height);
  }
}

// Asked while the combo box is created: its list rows have the laid-out height.
bool FormLayout::MeasureItem(MEASUREITEMSTRUCT& item) const {
  if (item.CtlType != ODT_COMBOBOX || item.itemID == static_cast<UINT>(-1)) {
    return false;
  }
  item.itemHeight = static_cast<UINT>(Scale(kComboBoxItemHeight));
  return true;
}

bool FormLayout::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem == form_.SelectedFile) {
    DrawSelectedFile(item);
    return true;
  }
  if (item.CtlType == ODT_COMBOBOX) {
    DrawComboBoxItem(item);
    return true;
  }
  return false;
}

void FormLayout::DrawComboBoxItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == static_cast<UINT>(-1)) {
    return;
  }
  const auto length =
      std::max(static_cast<int>(SendMessageW(form_.ComboBox1, CB_GETLBTEXTLEN, item.itemID, 0)), 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(form_.ComboBox1, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
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

void FormLayout::DrawSelectedFile(const DRAWITEMSTRUCT& item) {
  RECT bounds = item.rcItem;
  FillRect(item.hDC, &bounds, GetSysColorBrush(COLOR_BTNFACE));
  selected_file_drawn_ = selected_file_shown_;
  const SelectedObject selected_font(item.hDC, font_.get());
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(item.hDC, selected_file_drawn_.c_str(), static_cast<int>(selected_file_drawn_.size()),
            &bounds, kSelectedFileFormat);
}

int FormLayout::Scale(int pixels_at_96_dpi) const {
  return ScaleToDpi(pixels_at_96_dpi, dpi_);
}

}  // namespace trv::ui
