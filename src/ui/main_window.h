// The programmer's one window, Form1: its controls, its four handlers, and the window
// operations through which the core acts on it.
#pragma once

#include <windows.h>

#include <string>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "common/rom_file.h"
#include "programming/programming_run.h"
#include "ui/open_dialog.h"
#include "ui/window_operations.h"

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
  // The window is closing: close the adapter if a run left it open.
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

  // Shows `path` in the SelectedFile label, which grows to as many lines as it needs.
  void SetSelectedFileCaption(const std::wstring& path);

 private:
  class HandlerScope;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void HandleCommand(int control_id, int notification);

  void CreateControls();
  void ApplyDpi(UINT dpi);
  void LayoutControls();
  void FitLabel2Width();
  void FitSelectedFileHeight();
  void FitComboBoxFieldHeight();
  void DrawComboBoxItem(const DRAWITEMSTRUCT& item);
  void DrawSelectedFile(const DRAWITEMSTRUCT& item);
  void RestoreFocus();
  void ShowBox(const std::string& text, const wchar_t* caption, UINT style);
  // Work held back while a handler runs: destroying the closed window, passing on a quit
  // request.
  void FinishDeferredWork();
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

  HFONT font_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HWND saved_focus_ = nullptr;
  // Set from the moment the window starts closing; every window operation is a no-op after it.
  bool closed_ = false;
  // How many handlers are running, nested through pumped messages.
  int handler_depth_ = 0;
  bool quit_requested_ = false;
  int quit_code_ = 0;
};

}  // namespace trv::ui
