#include "ui/form_controls.h"

#include <commctrl.h>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::ui {

void CreateControls(FormControls& controls) {
  const HWND form = controls.Form1;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
  // Creation order is also the tab order of the controls that take the focus.
  auto create = [&](const wchar_t* window_class, const char* text, DWORD style, int id) {
    return CreateWindowExW(0, window_class, win32::WideFromUtf8(text).c_str(), WS_CHILD | style, 0,
                           0, 0, 0, form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           instance, nullptr);
  };
  constexpr DWORD kLabelStyle = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  controls.Label1 = create(WC_STATICW, texts::kDeviceLabel, kLabelStyle, 0);
  controls.SelectedFile = create(WC_STATICW, "", WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX, 0);
  controls.Label2 = create(WC_STATICW, texts::kIdleHeading, kLabelStyle, 0);
  // The list draws its own rows, so that they keep the laid-out height whatever the font.
  controls.ComboBox1 = create(WC_COMBOBOXW, "",
                              WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN |
                                  CBS_AUTOHSCROLL | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                              kComboBox1Id);
  controls.OpenButton = create(WC_BUTTONW, texts::kOpenButtonCaption, kButtonStyle, kOpenButtonId);
  controls.ProgramButton =
      create(WC_BUTTONW, texts::kProgramButtonCaption, kButtonStyle, kProgramButtonId);
  // Last in the order, but no tab stop: nothing on it can be operated.
  controls.ProgressBar1 = create(PROGRESS_CLASSW, "", 0, kProgressBar1Id);
}

void EnableInputControls(const FormControls& controls, bool enabled) {
  for (const HWND control : {controls.ComboBox1, controls.OpenButton, controls.ProgramButton}) {
    EnableWindow(control, enabled);
  }
}

}  // namespace trv::ui
