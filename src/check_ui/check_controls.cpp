#include "check_ui/check_controls.h"

#include <commctrl.h>

#include "check/check_texts.h"
#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::check_ui {
namespace {

// A multi-line edit asks for every key, and takes Esc, as in a dialog box, for closing its window:
// in the report, Tab, Enter and Esc work as everywhere else in the window, and the arrows scroll.
LRESULT CALLBACK ReportProc(HWND report, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                            DWORD_PTR) {
  if (message == WM_GETDLGCODE) {
    return DefSubclassProc(report, message, wparam, lparam) & ~DLGC_WANTALLKEYS;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(report, &ReportProc, id);
  }
  return DefSubclassProc(report, message, wparam, lparam);
}

}  // namespace

void CreateControls(CheckControls& controls) {
  namespace t = check_texts;
  const HWND form = controls.CheckForm;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
  // Creation order is also the tab order; a screen reader names a control without a caption of
  // its own by the label made just before it.
  auto create = [&](const wchar_t* window_class, const char* text, DWORD style, int id,
                    DWORD extended_style = 0) {
    return CreateWindowExW(extended_style, window_class, win32::WideFromUtf8(text).c_str(),
                           WS_CHILD | style, 0, 0, 0, 0, form,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  constexpr DWORD kLabelStyle = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  controls.Label1 = create(WC_STATICW, texts::kDeviceLabel, kLabelStyle, 0);
  controls.ComboBox1 =
      create(WC_COMBOBOXW, "",
             WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, kComboBox1Id);
  controls.CheckButton = create(WC_BUTTONW, t::kCheckButtonCaption, kButtonStyle, kCheckButtonId);
  controls.SaveFlashButton =
      create(WC_BUTTONW, t::kSaveFlashButtonCaption, kButtonStyle, kSaveFlashButtonId);
  controls.CompareButton =
      create(WC_BUTTONW, t::kCompareButtonCaption, kButtonStyle, kCompareButtonId);
  controls.ReportLabel = create(WC_STATICW, t::kReportHeading, kLabelStyle, 0);
  // A read-only edit: its text can be selected, scrolled and read out, and is never typed over.
  controls.Report = create(WC_EDITW, "",
                           WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                               ES_AUTOVSCROLL | ES_NOHIDESEL,
                           kReportId, WS_EX_CLIENTEDGE);
  SetWindowSubclass(controls.Report, &ReportProc, 0, 0);
  // As many lines as the operations of a session bring.
  SendMessageW(controls.Report, EM_SETLIMITTEXT, 0, 0);
  controls.ReadingLabel =
      create(WC_STATICW, t::kReadingHeading, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0);
  // No tab stop: nothing on it can be operated.
  controls.ProgressBar1 = create(PROGRESS_CLASSW, "", 0, kProgressBar1Id);
  controls.CopyReportButton =
      create(WC_BUTTONW, t::kCopyReportButtonCaption, kButtonStyle, kCopyReportButtonId);
}

void EnableInputControls(const CheckControls& controls, bool enabled) {
  for (const HWND control : {controls.ComboBox1, controls.CheckButton, controls.SaveFlashButton,
                             controls.CompareButton, controls.CopyReportButton}) {
    EnableWindow(control, enabled);
  }
}

void ShowProgressBar(const CheckControls& controls, bool visible) {
  for (const HWND control : {controls.ReadingLabel, controls.ProgressBar1}) {
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
  }
}

}  // namespace trv::check_ui
