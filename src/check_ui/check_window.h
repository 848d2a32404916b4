// The adapter and chip check's one window: the device list, "Check", "Save flash...", "Compare with
// file...", the report and "Copy report". A thin shell over the check's core, which shows its lines
// and pumps the window through it; the waits, pumps and holds work as in the programmer's window.
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
#include "ui/focus_keeper.h"
#include "ui/handler_nesting.h"
#include "ui/open_dialog.h"
#include "ui/operator_holds.h"
#include "ui/progress_painter.h"
#include "ui/window_pump.h"
#include "ui/window_services.h"

namespace trv::check_ui {

class CheckWindow final : public CheckView, public MessagePump, private ui::HandlerNesting::Owner {
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
  bool HandleDialogMessage(MSG* message);
  HWND handle() const { return controls_.CheckForm; }

  // The handlers: the device list rebuilt as it opens, as the programmer's; the check; the flash
  // read and saved; the flash read and compared with a file; the report copied.
  void ComboBox1DropDown();
  void CheckButtonClick();
  void SaveFlashButtonClick();
  void CompareButtonClick();
  void CopyReportButtonClick();
  // The window is closing, or the session is ending: an operation under way stops at its next
  // pump, and the window stays, disabled, until it has closed the adapter.
  void FormClose();

  // A line as its check ends, added to the report; none once the window is closing.
  void ShowLine(const CheckLine& line) override;
  void ShowReadProgress(std::uint32_t bytes_read) override;
  // Hands the window what was pending, paints it when it may, and returns (window_pump.h).
  PumpReport PumpMessages() override;

  // The report as "Copy report" puts it on the clipboard.
  std::string ReportText() const { return ComposeReport(header_, lines_); }
  const ui::ProgressPainter& progress_painter() const { return progress_painter_; }

 private:
  // Posted to itself once the window has closed and no handler is running any more.
  static constexpr UINT kDestroyClosedWindow = WM_APP + 1;
  class Operation;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void HandleCommand(int control_id, int notification);
  CheckTools Tools();
  void ClearReport();
  void ShowBox(const std::string& text, const std::string& caption, UINT style);
  // The session may not end while the adapter is open; Windows is told why for as long.
  void FollowAdapterForSessionEnd();
  void CloseAdapter() noexcept;
  void RecoverFromFailure() noexcept override;
  void DestroyClosedWindow() noexcept override;
  bool Stopped() const { return nesting_.Stopped(); }

  const DriverLibrary& library_;
  Clock& clock_;
  RomFileSystem& files_;
  ProgrammerState& state_;
  ReportHeader header_;
  std::vector<CheckLine> lines_;

  CheckControls controls_;
  ui::HandlerNesting nesting_{*this};
  CheckLayout layout_{controls_};
  ui::FocusKeeper focus_{controls_.CheckForm};
  const ui::FileOpenDialog OpenDialog1;
  ui::ProgressPainter progress_painter_;
  ui::OperatorHolds holds_{clock_};
  ui::WindowPump pump_{clock_, nesting_, holds_, progress_painter_};
  ui::SessionEndBlock session_end_block_;
};

}  // namespace trv::check_ui
