// The programmer's one window, Form1: its controls, its four handlers, and the window
// operations through which the core acts on it. Its placement, density, text measuring and
// owner drawing are in main_window_layout.cpp.
#pragma once

#include <windows.h>

#include <string>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "common/rom_file.h"
#include "common/window_operations.h"
#include "programming/programming_run.h"
#include "ui/gdi_guards.h"
#include "ui/open_dialog.h"
#include "ui/progress_painter.h"

namespace trv::ui {

class TForm1 final : public WindowOperations {
 public:
  TForm1(AdapterDriver& driver, Clock& clock, RomFileSystem& files, ProgrammerState& state);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window with its controls, centred on the primary screen and scaled to its
  // density, and shows it with `show_command`. False when the system refused the window.
  bool Create(HINSTANCE instance, int show_command);
  // Keyboard navigation between the controls (Tab, Enter, arrows); true when `message` was
  // consumed and must not be dispatched.
  bool HandleDialogMessage(MSG* message);
  HWND handle() const { return Form1; }

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
  bool PumpMessages() override;

  // Shows `path` in the SelectedFile label, which grows downwards to as many lines as it needs.
  // Where the window's bottom edge comes first, the label shows the path shortened (its caption
  // stays the whole path).
  void SetSelectedFileCaption(const std::wstring& path);

  // What the operator sees of ProgressBar1, as opposed to its position.
  const ProgressPainter& progress_painter() const { return progress_painter_; }
  // What the SelectedFile label last drew, as opposed to its caption.
  const std::wstring& selected_file_drawn() const { return selected_file_drawn_; }

 private:
  class HandlerScope;
  class SessionEndBlock;

  // Control identifiers stay clear of IDOK and IDCANCEL, which keyboard navigation sends.
  enum ControlId : int {
    kComboBox1Id = 101,
    kOpenButtonId,
    kProgramButtonId,
    kProgressBar1Id,
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // The SelectedFile label fits its height to each new caption, whoever sets it.
  static LRESULT CALLBACK SelectedFileProc(HWND label, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR id, DWORD_PTR form);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void HandleCommand(int control_id, int notification);
  void CreateControls();
  void RestoreFocus();
  void ShowBox(const std::string& text, const wchar_t* caption, UINT style);
  // A handler ended in an exception, which must not cross the system's code on its way out.
  // The operation stops: at once if no handler of this window is running, otherwise once the
  // outermost one has unwound, since it may still be using the adapter.
  void HandlerFailed();
  // Closes the adapter, hands the window back to the operator and reports the failure.
  void RecoverFromFailure() noexcept;
  // Work held back while a handler runs: recovering from a failure, destroying the closed
  // window, passing on a quit request.
  void FinishDeferredWork() noexcept;
  // True once the window is closing or a handler failed: window operations do nothing and
  // pumping reports the window gone, so the operation in progress stops.
  bool Stopped() const { return closed_ || failed_; }

  // Placement, screen density, text measuring and owner drawing (main_window_layout.cpp).
  // Where the window is created, before it knows its density: the primary screen's corner.
  RECT CreationBounds() const;
  // Sizes the window for its density and centres it on the primary screen.
  void FitToPrimaryScreen();
  void LimitSize(MINMAXINFO& limits) const;
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  UINT WindowDpi() const;
  void ApplyDpi(UINT dpi);
  void LayoutControls();
  void FitLabel2Width();
  void FitSelectedFileHeight();
  std::wstring SelectedFileShownText() const;
  void FitComboBoxFieldHeight();
  bool MeasureItem(MEASUREITEMSTRUCT& item) const;
  bool DrawItem(const DRAWITEMSTRUCT& item);
  void DrawComboBoxItem(const DRAWITEMSTRUCT& item);
  void DrawSelectedFile(const DRAWITEMSTRUCT& item);
  int Scale(int pixels_at_96_dpi) const;

  AdapterDriver& driver_;
  Clock& clock_;
  RomFileSystem& files_;
  ProgrammerState& state_;

  HWND Form1 = nullptr;
  HWND Label1 = nullptr;
  HWND SelectedFile = nullptr;
  HWND Label2 = nullptr;
  HWND ComboBox1 = nullptr;
  HWND OpenButton = nullptr;
  HWND ProgramButton = nullptr;
  HWND ProgressBar1 = nullptr;
  const FileOpenDialog OpenDialog1;

  ProgressPainter progress_painter_;
  std::wstring selected_file_drawn_;
  OwnedFont font_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HWND saved_focus_ = nullptr;
  // Set from the moment the window starts closing; every window operation is a no-op after it.
  bool closed_ = false;
  // Set from a handler's failure until the window has been handed back.
  bool failed_ = false;
  // Set while a programming run is under way: the session must not end then.
  bool programming_ = false;
  // How many handlers are running, nested through pumped messages.
  int handler_depth_ = 0;
  bool quit_requested_ = false;
  int quit_code_ = 0;
};

}  // namespace trv::ui
