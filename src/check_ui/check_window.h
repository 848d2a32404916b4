// The adapter and chip check's one window: the device list, "Check", "Save flash...", "Compare with
// file...", the report and "Copy report". A thin shell over the check's core, which shows its lines
// and pumps the window through it; its window procedure, close, boxes and pump are the programmer's
// window's (OperationWindow).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/check_tools.h"
#include "check/check_view.h"
#include "check_ui/check_controls.h"
#include "check_ui/check_layout.h"
#include "common/clock.h"
#include "common/rom_file.h"
#include "loader/message_pump.h"
#include "programming/programming_run.h"
#include "ui/open_dialog.h"
#include "ui/operation_window.h"
#include "ui/window_services.h"

namespace trv::check_ui {

class CheckWindow final : public CheckView, public MessagePump, private ui::OperationWindow::Owner {
 public:
  // `bench` is the report's header as the program found it, but for the adapter, which is the one
  // each operation is given. `state` holds the adapter and the link buffers, which the window's
  // close handler shares with the operation under way.
  CheckWindow(const DriverLibrary& library, Clock& clock, RomFileSystem& files,
              ui::WindowServices& services, ProgrammerState& state, const ReportHeader& bench);
  ~CheckWindow() override;
  CheckWindow(const CheckWindow&) = delete;
  CheckWindow& operator=(const CheckWindow&) = delete;

  // Creates the window with its controls, centred on the primary screen and scaled to its
  // density, and shows it with `show_command`. Where the driver library cannot be used, the report
  // says so at once. False when the system refused the window.
  bool Create(HINSTANCE instance, int show_command);
  // Keyboard navigation between the controls (Tab, Enter, arrows); true when `message` was
  // consumed and must not be dispatched.
  bool HandleDialogMessage(MSG* message) { return window_.HandleDialogMessage(message); }
  HWND handle() const { return controls_.CheckForm; }

  // The handlers: the device list rebuilt as it opens, as the programmer's; the check; the flash
  // read and saved; the flash read and compared with a file; the report copied.
  void ComboBox1DropDown();
  void CheckButtonClick();
  void SaveFlashButtonClick();
  void CompareButtonClick();
  void CopyReportButtonClick();

  // A line as its check ends, added to the report; none once the window is closing.
  void ShowLine(const CheckLine& line) override;
  void ShowReadProgress(std::uint32_t bytes_read) override;
  // Hands the window what was pending, paints it when it may, and returns (window_pump.h).
  PumpReport PumpMessages() override { return window_.PumpMessages(); }

  // The report as "Copy report" puts it on the clipboard.
  std::string ReportText() const { return ComposeReport(header_, lines_); }
  const ui::ProgressPainter& progress_painter() const { return window_.progress_painter(); }

 private:
  class Operation;

  bool HandleOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  void HandleCommand(int control_id, int notification) override;
  void EnableInputs(bool enabled) noexcept override;
  void RestoreAfterFailure() override;
  void ForgetControls() noexcept override { controls_ = CheckControls{}; }
  CheckTools Tools();
  void ClearReport();
  bool Stopped() const { return window_.Stopped(); }

  const DriverLibrary& library_;
  Clock& clock_;
  RomFileSystem& files_;
  ProgrammerState& state_;
  ReportHeader header_;
  std::vector<CheckLine> lines_;

  CheckControls controls_;
  ui::OperationWindow window_;
  CheckLayout layout_{controls_};
  const ui::FileOpenDialog OpenDialog1;
};

}  // namespace trv::check_ui
