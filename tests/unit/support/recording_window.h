// A window that records every operation in order, and counts its pumps, for tests of the passes
// and the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/window_operations.h"
#include "loader/message_pump.h"

namespace trv::test {

class RecordingWindow final : public WindowOperations, public MessagePump {
 public:
  std::string device;
  std::string path;
  // Called at every pump; returning false closes the window there.
  std::function<bool(int pump_number)> on_pump;
  // Called when a box is shown, before it is recorded as closed.
  std::function<void(const std::string& text)> on_box;

  std::vector<std::string> operations;  // e.g. "info:Failed to read ACK.", "enable:1", "pump"
  bool controls_enabled = true;
  bool progress_visible = false;
  bool selected_file_visible = true;
  std::string label2 = "Selected File:";
  std::uint32_t progress_maximum = 0;
  int pumps = 0;
  bool closed = false;

  std::string DeviceDescription() override { return device; }
  std::string RomFilePath() override { return path; }
  void SetInputControlsEnabled(bool enabled) override;
  void SetProgressBarVisible(bool visible) override;
  void SetSelectedFileVisible(bool visible) override;
  void SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) override;
  void SetProgressPosition(std::uint32_t position) override;
  void SetLabel2Caption(const std::string& caption) override;
  void ShowInformation(const std::string& text) override;
  void ShowErrorReport(const std::string& text) override;
  PumpReport PumpMessages() override;

  // The texts of the boxes shown, in order, as "info:..." or "error:...".
  std::vector<std::string> Boxes() const;
};

}  // namespace trv::test
