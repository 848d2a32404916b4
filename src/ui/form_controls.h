// Form1 and its controls: what each one is, its caption and style, and the order they are made in.
#pragma once

#include <windows.h>

namespace trv::ui {

// Form1 and its controls, named as the operator's guide names them; all null until the window is
// created and again once it is gone.
struct FormControls {
  HWND Form1 = nullptr;
  HWND Label1 = nullptr;
  HWND SelectedFile = nullptr;
  HWND Label2 = nullptr;
  HWND ComboBox1 = nullptr;
  HWND OpenButton = nullptr;
  HWND ProgramButton = nullptr;
  HWND ProgressBar1 = nullptr;
};

// Control identifiers stay clear of IDOK and IDCANCEL, which keyboard navigation sends.
enum ControlId : int {
  kComboBox1Id = 101,
  kOpenButtonId,
  kProgramButtonId,
  kProgressBar1Id,
};

// Creates the controls in `controls.Form1`, placed nowhere yet: the layout places them.
void CreateControls(FormControls& controls);
// Enables or disables the controls that take the operator's input: the device list and buttons.
void EnableInputControls(const FormControls& controls, bool enabled);

}  // namespace trv::ui
