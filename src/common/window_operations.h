// How the passes and the run act on the main window. The window implements it; tests record it.
// Its messages are pumped through MessagePump (loader/message_pump.h).
#pragma once

#include <cstdint>
#include <string>

namespace trv {

class WindowOperations {
 public:
  virtual ~WindowOperations() = default;

  // The text of the device combo box, as single-byte characters.
  virtual std::string DeviceDescription() = 0;
  // The path shown in the SelectedFile label, UTF-8.
  virtual std::string RomFilePath() = 0;

  // Enables or disables the device combo box, "ROM File..." and "Program" together.
  virtual void SetInputControlsEnabled(bool enabled) = 0;
  virtual void SetProgressBarVisible(bool visible) = 0;
  virtual void SetSelectedFileVisible(bool visible) = 0;
  virtual void SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) = 0;
  virtual void SetProgressPosition(std::uint32_t position) = 0;
  virtual void SetLabel2Caption(const std::string& caption) = 0;

  // Modal boxes; each returns once the operator has closed it.
  virtual void ShowInformation(const std::string& text) = 0;
  virtual void ShowErrorReport(const std::string& text) = 0;
};

}  // namespace trv
