#include "check_ui/check_layout.h"

#include "ui/operation_window.h"
#include "ui/screen_density.h"
#include "win32/entry_points.h"

namespace trv::check_ui {
namespace {

using ui::Bounds;

// Sizes and places in the client area, in pixels at 96 dots per inch. The report is wide enough
// for most of its lines to take one line, and high enough for a whole check with its advice.
constexpr SIZE kClientSize{488, 408};  // fixed
constexpr Bounds kLabel1Bounds{16, 16, 257, 13};
constexpr Bounds kComboBox1Bounds{16, 32, 257, 21};
constexpr int kComboBoxDropDownItems = 8;  // list rows shown before it scrolls
constexpr int kComboBoxItemHeight = 13;
constexpr Bounds kCheckButtonBounds{16, 64, 75, 25};
constexpr Bounds kSaveFlashButtonBounds{99, 64, 91, 25};
constexpr Bounds kCompareButtonBounds{198, 64, 115, 25};
constexpr Bounds kReportLabelBounds{16, 101, 257, 13};
constexpr Bounds kReportBounds{16, 117, 456, 234};
constexpr Bounds kReadingLabelBounds{16, 360, 257, 13};
constexpr Bounds kProgressBar1Bounds{16, 376, 257, 16};
constexpr Bounds kCopyReportButtonBounds{381, 367, 91, 25};

}  // namespace

RECT CheckLayout::CreationBounds() {
  return ui::PrimaryScreenCorner(kClientSize);
}

void CheckLayout::FitToPrimaryScreen() {
  ui::CentreOnPrimaryScreen(controls_.CheckForm, OuterSize());
}

void CheckLayout::Attach() {
  ApplyDpi(ui::WindowDpi(controls_.CheckForm));
}

bool CheckLayout::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
      const SIZE size = OuterSize();
      limits.ptMinTrackSize = limits.ptMaxTrackSize = limits.ptMaxSize = POINT{size.cx, size.cy};
      return true;
    }
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wparam));
      const auto& suggested = *reinterpret_cast<const RECT*>(lparam);
      const SIZE size = OuterSize();
      SetWindowPos(controls_.CheckForm, nullptr, suggested.left, suggested.top, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return true;
    }
    default:
      return false;
  }
}

SIZE CheckLayout::OuterSize() const {
  RECT bounds{0, 0, Scale(kClientSize.cx), Scale(kClientSize.cy)};
  // The frame's own size at the density, where the system tells it (Windows 10 on).
  static const auto adjust_for_dpi =
      win32::OptionalEntry<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(
          L"user32.dll", "AdjustWindowRectExForDpi");
  if (adjust_for_dpi == nullptr || !adjust_for_dpi(&bounds, ui::kFormStyle, FALSE, 0, dpi_)) {
    AdjustWindowRectEx(&bounds, ui::kFormStyle, FALSE, 0);
  }
  return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void CheckLayout::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  const HFONT font = ui::CreateWindowFont(dpi_);
  const CheckControls& c = controls_;
  const struct {
    HWND control;
    Bounds bounds;
  } placed[] = {
      {c.Label1, kLabel1Bounds},
      // A drop-down combo box's height includes its list.
      {c.ComboBox1,
       {kComboBox1Bounds.left, kComboBox1Bounds.top, kComboBox1Bounds.width,
        kComboBox1Bounds.height + kComboBoxDropDownItems * kComboBoxItemHeight + 2}},
      {c.CheckButton, kCheckButtonBounds},
      {c.SaveFlashButton, kSaveFlashButtonBounds},
      {c.CompareButton, kCompareButtonBounds},
      {c.ReportLabel, kReportLabelBounds},
      {c.Report, kReportBounds},
      {c.ReadingLabel, kReadingLabelBounds},
      {c.ProgressBar1, kProgressBar1Bounds},
      {c.CopyReportButton, kCopyReportButtonBounds},
  };
  for (const auto& [control, bounds] : placed) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowPos(control, nullptr, Scale(bounds.left), Scale(bounds.top), Scale(bounds.width),
                 Scale(bounds.height), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // Only now that no control draws with it any more.
  font_.Reset(font);
}

int CheckLayout::Scale(int pixels_at_96_dpi) const {
  return ui::ScaleToDpi(pixels_at_96_dpi, dpi_);
}

}  // namespace trv::check_ui
