// The programmer's one window, Form1: its four handlers, and the window operations and the message
// pump through which the core acts on it. Its layout and owner drawing are FormLayout's; its
// window procedure, its close and the session's end, its boxes and its pump are OperationWindow's.
#pragma once

#include <windows.h>

#include <string>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "common/rom_file.h"
#include "common/window_operations.h"
#include "loader/message_pump.h"
#include "programming/programming_run.h"
#include "ui/form_controls.h"
#include "ui/form_layout.h"
#include "ui/open_dialog.h"
#include "ui/operation_window.h"
#include "ui/window_services.h"

namespace trv::ui {

class TForm1 final : public WindowOperations, public MessagePump, private OperationWindow::Owner {
 public:
  TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, WindowServices& services,
         ProgrammerState& state);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window with its controls, centred on the primary screen and scaled to its
  // density, and shows it with `show_command`. False when the system refused the window.
  bool Create(HINSTANCE instance, int show_command);
  // Keyboard navigation between the controls (Tab, Enter, arrows); true when `message` was
  // consumed and must not be dispatched.
  bool HandleDialogMessage(MSG* message) { return window_.HandleDialogMessage(message); }
  HWND handle() const { return controls_.Form1; }

  // Rebuilds the device list from the driver just before the list opens.
  void ComboBox1DropDown();
  // Lets the operator choose the ROM image and shows its path.
  void OpenButtonClick();
  // One programming run.
  void ProgramButtonClick();
  // The window is closing, or the session is ending: close the adapter if a run left it open.
  void FormClose() { window_.FormClose(); }

  std::string DeviceDescription() override;
  std::string RomFilePath() override;
  void SetInputControlsEnabled(bool enabled) override;
  void SetProgressBarVisible(bool visible) override;
  void SetSelectedFileVisible(bool visible) override;
  void SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) override;
  void SetProgressPosition(std::uint32_t position) override;
  void SetLabel2Caption(const std::string& caption) override;
  void ShowInformation(const std::string& text) override;
  void ShowErrorReport(const std::string& text) override;
  // Hands the window what was pending, paints it when it may, and returns (window_pump.h).
  PumpReport PumpMessages() override { return window_.PumpMessages(); }

  // Shows `path` in the SelectedFile label, which grows downwards to as many lines as it needs.
  // Where the window's bottom edge comes first, the label shows the path shortened (its caption
  // stays the whole path).
  void SetSelectedFileCaption(const std::wstring& path);

  // What the operator sees of ProgressBar1, as opposed to its position.
  const ProgressPainter& progress_painter() const { return window_.progress_painter(); }
  // What the SelectedFile label last drew, as opposed to its caption.
  const std::wstring& selected_file_drawn() const { return layout_.selected_file_drawn(); }

 private:
  bool HandleOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  void HandleCommand(int control_id, int notification) override;
  void EnableInputs(bool enabled) noexcept override;
  void RestoreAfterFailure() override;
  void ForgetControls() noexcept override { controls_ = FormControls{}; }
  void NameForScreenReaders(HWND control, const std::string& name);
  bool Stopped() const { return window_.Stopped(); }

  AdapterDriver& driver_;
  Clock& clock_;
  RomFileSystem& files_;
  WindowServices& services_;
  ProgrammerState& state_;

  FormControls controls_;
  OperationWindow window_;
  FormLayout layout_{controls_, window_.nesting()};
  const FileOpenDialog OpenDialog1;
};

}  // namespace trv::ui
