// The programmer's one window, Form1: its four handlers, and the window operations and the message
// pump through which the core acts on it. Its layout and owner drawing are FormLayout's; the
// nesting of its handlers and the work held back while they run are HandlerNesting's.
#pragma once

#include <windows.h>

#include <string>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "common/rom_file.h"
#include "common/window_operations.h"
#include "loader/message_pump.h"
#include "programming/programming_run.h"
#include "ui/focus_keeper.h"
#include "ui/form_controls.h"
#include "ui/form_layout.h"
#include "ui/handler_nesting.h"
#include "ui/open_dialog.h"
#include "ui/operator_holds.h"
#include "ui/progress_painter.h"
#include "ui/window_pump.h"
#include "ui/window_services.h"

namespace trv::ui {

class TForm1 final : public WindowOperations, public MessagePump, private HandlerNesting::Owner {
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
  bool HandleDialogMessage(MSG* message);
  HWND handle() const { return controls_.Form1; }

  // Rebuilds the device list from the driver just before the list opens.
  void ComboBox1DropDown();
  // Lets the operator choose the ROM image and shows its path.
  void OpenButtonClick();
  // One programming run.
  void ProgramButtonClick();
  // The window is closing, or the session is ending: close the adapter if a run left it open.
  void FormClose();

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
  PumpReport PumpMessages() override;

  // Shows `path` in the SelectedFile label, which grows downwards to as many lines as it needs.
  // Where the window's bottom edge comes first, the label shows the path shortened (its caption
  // stays the whole path).
  void SetSelectedFileCaption(const std::wstring& path);

  // What the operator sees of ProgressBar1, as opposed to its position.
  const ProgressPainter& progress_painter() const { return progress_painter_; }
  // What the SelectedFile label last drew, as opposed to its caption.
  const std::wstring& selected_file_drawn() const { return layout_.selected_file_drawn(); }

 private:
  // Posted to itself once the window has closed and no handler is running any more.
  static constexpr UINT kDestroyClosedWindow = WM_APP + 1;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void HandleCommand(int control_id, int notification);
  void ShowBox(const std::string& text, const wchar_t* caption, UINT style);
  // The session may not end while an adapter is open; Windows is told why for as long.
  void FollowAdapterForSessionEnd();
  void NameForScreenReaders(HWND control, const std::string& name);
  void RecoverFromFailure() noexcept override;
  void DestroyClosedWindow() noexcept override;
  bool Stopped() const { return nesting_.Stopped(); }

  AdapterDriver& driver_;
  Clock& clock_;
  RomFileSystem& files_;
  WindowServices& services_;
  ProgrammerState& state_;

  FormControls controls_;
  HandlerNesting nesting_{*this};
  FormLayout layout_{controls_, nesting_};
  FocusKeeper focus_{controls_.Form1};
  const FileOpenDialog OpenDialog1;
  ProgressPainter progress_painter_;
  OperatorHolds holds_{clock_};
  WindowPump pump_{clock_, nesting_, holds_, progress_painter_};
  SessionEndBlock session_end_block_;
};

}  // namespace trv::ui
