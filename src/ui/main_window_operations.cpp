// The window operations through which the run and the passes act on Form1. Once the window is
// closing they do nothing, and its pump reports it gone, so that the operation in progress stops.
#include "common/operator_texts.h"
#include "ui/main_window.h"
#include "win32/win32_text.h"

namespace trv::ui {

std::string TForm1::DeviceDescription() {
  return Stopped() ? std::string() : win32::AnsiFromWide(win32::WindowText(controls_.ComboBox1));
}

std::string TForm1::RomFilePath() {
  return Stopped() ? std::string() : win32::Utf8FromWide(win32::WindowText(controls_.SelectedFile));
}

void TForm1::SetInputControlsEnabled(bool enabled) {
  if (Stopped()) {
    return;
  }
  if (!enabled) {
    window_.focus().Save();
  }
  EnableInputControls(controls_, enabled);
  // The focus comes back with the controls.
  if (enabled) {
    window_.focus().RestoreIfLost();
  }
}

void TForm1::SetProgressBarVisible(bool visible) {
  if (!Stopped()) {
    ShowWindow(controls_.ProgressBar1, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetSelectedFileVisible(bool visible) {
  if (!Stopped()) {
    ShowWindow(controls_.SelectedFile, visible ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) {
  if (!Stopped()) {
    window_.progress_painter().SetRange(minimum, maximum);
  }
}

void TForm1::SetProgressPosition(std::uint32_t position) {
  if (!Stopped()) {
    window_.progress_painter().SetPosition(position);
  }
}

void TForm1::SetLabel2Caption(const std::string& caption) {
  if (!Stopped()) {
    SetWindowTextW(controls_.Label2, win32::WideFromMessage(caption).c_str());
    layout_.FitLabel2Width();
    NameForScreenReaders(controls_.ProgressBar1, caption);
  }
}

void TForm1::ShowInformation(const std::string& text) {
  window_.ShowInformation(text);
}

void TForm1::ShowErrorReport(const std::string& text) {
  window_.ShowError(text);
}

void TForm1::NameForScreenReaders(HWND control, const std::string& name) {
  services_.NameForScreenReaders(control, win32::WideFromUtf8(name));
}

}  // namespace trv::ui
