// The check's window and its controls: what each one is, its caption and identifier, and the order
// they are made in, which is also their tab order. Captions are check_texts.h's; identifiers are
// stable, for whatever works the window from outside.
#pragma once

#include <windows.h>

namespace trv::check_ui {

// The window and its controls, named as the operator's guide names them; all null until the
// window is created and again once it is gone.
struct CheckControls {
  HWND CheckForm = nullptr;
  HWND Label1 = nullptr;            // "Select a device:"
  HWND ComboBox1 = nullptr;         // the adapters, as the programmer lists them
  HWND CheckButton = nullptr;       // "Check"
  HWND SaveFlashButton = nullptr;   // "Save flash..."
  HWND CompareButton = nullptr;     // "Compare with file..."
  HWND ReportLabel = nullptr;       // "Report:"
  HWND Report = nullptr;            // read-only, one line per check
  HWND ReadingLabel = nullptr;      // "Reading the flash:", over the bar
  HWND ProgressBar1 = nullptr;      // a read of the flash, shown with its label while it runs
  HWND CopyReportButton = nullptr;  // "Copy report"
};

// Control identifiers stay clear of IDOK and IDCANCEL, which keyboard navigation sends.
enum CheckControlId : int {
  kComboBox1Id = 101,
  kCheckButtonId,
  kSaveFlashButtonId,
  kCompareButtonId,
  kReportId,
  kProgressBar1Id,
  kCopyReportButtonId,
};

// Creates the controls in `controls.CheckForm`, placed nowhere yet: the layout places them.
void CreateControls(CheckControls& controls);
// Enables or disables the controls that take the operator's input: the device list and buttons.
// The report stays readable and selectable.
void EnableInputControls(const CheckControls& controls, bool enabled);
// Shows or hides the read's progress bar with its label.
void ShowProgressBar(const CheckControls& controls, bool visible);

}  // namespace trv::check_ui
