#include "ui/main_window.h"

#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "ui/busy_cursor.h"
#include "ui/device_list.h"
#include "win32/win32_text.h"

namespace trv::ui {
namespace {

const OperationWindow::Identity kForm1{L"TForm1", texts::kApplicationTitle,
                                       texts::kSessionEndBlockReason};

}  // namespace

TForm1::TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, WindowServices& services,
               ProgrammerState& state)
    : driver_(driver),
      clock_(clock),
      files_(files),
      services_(services),
      state_(state),
      window_(*this, controls_.Form1, kForm1, &driver, clock, state, services),
      OpenDialog1(FileOpenDialog::ForRomFiles()) {}

TForm1::~TForm1() {
  window_.Destroy();
}

bool TForm1::Create(HINSTANCE instance, int show_command) {
  // Created on the primary screen so that it takes that screen's density from the start.
  if (!window_.Create(instance, FormLayout::CreationBounds())) {
    return false;
  }
  layout_.FitToPrimaryScreen();
  window_.Show(show_command);
  return true;
}

bool TForm1::HandleOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (message != WM_CREATE) {
    return layout_.HandleMessage(message, wparam, lparam, result);
  }
  CreateControls(controls_);
  // A screen reader names a control by the label created just before it, which the fixed creation
  // order makes "Selected File:" for the device box and nothing for the bar: they are named by the
  // label over each instead.
  NameForScreenReaders(controls_.ComboBox1, texts::kDeviceLabel);
  NameForScreenReaders(controls_.ProgressBar1, texts::kIdleHeading);
  window_.progress_painter().Attach(controls_.ProgressBar1);
  window_.progress_painter().SetRange(0, kRomImageSize);
  layout_.Attach();
  *result = 0;
  return true;
}

void TForm1::HandleCommand(int control_id, int notification) {
  if (control_id == kComboBox1Id && notification == CBN_DROPDOWN) {
    ComboBox1DropDown();
  } else if (control_id == kOpenButtonId && notification == BN_CLICKED) {
    OpenButtonClick();
  } else if (control_id == kProgramButtonId && notification == BN_CLICKED) {
    ProgramButtonClick();
  }
}

void TForm1::ComboBox1DropDown() {
  FillDeviceList(controls_.ComboBox1, driver_, clock_, *this,
                 [this](const std::string& text) { ShowInformation(text); });
}

void TForm1::OpenButtonClick() {
  if (const auto path = OpenDialog1.Execute(controls_.Form1)) {
    SetSelectedFileCaption(*path);
  }
}

void TForm1::ProgramButtonClick() {
  const BusyCursor busy(controls_.Form1);
  Programmer programmer{driver_, clock_, *this, *this, files_, state_};
  trv::ProgramButtonClick(programmer);
}

void TForm1::EnableInputs(bool enabled) noexcept {
  EnableInputControls(controls_, enabled);
}

// The window as between runs, with the file still chosen.
void TForm1::RestoreAfterFailure() {
  SetProgressBarVisible(false);
  SetSelectedFileVisible(true);
  SetLabel2Caption(texts::kIdleHeading);
  SetInputControlsEnabled(true);
}

void TForm1::SetSelectedFileCaption(const std::wstring& path) {
  if (!Stopped()) {
    SetWindowTextW(controls_.SelectedFile, path.c_str());
  }
}

}  // namespace trv::ui
