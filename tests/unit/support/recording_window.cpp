#include "support/recording_window.h"

namespace trv::test {

void RecordingWindow::SetInputControlsEnabled(bool enabled) {
  controls_enabled = enabled;
  operations.push_back(enabled ? "enable" : "disable");
}

void RecordingWindow::SetProgressBarVisible(bool visible) {
  progress_visible = visible;
  operations.push_back(visible ? "show-progress" : "hide-progress");
}

void RecordingWindow::SetSelectedFileVisible(bool visible) {
  selected_file_visible = visible;
  operations.push_back(visible ? "show-file" : "hide-file");
}

void RecordingWindow::SetProgressRange(std::uint32_t minimum, std::uint32_t maximum) {
  progress_maximum = maximum;
  operations.push_back("range:" + std::to_string(minimum) + ".." + std::to_string(maximum));
}

void RecordingWindow::SetProgressPosition(std::uint32_t position) {
  operations.push_back("position:" + std::to_string(position));
}

void RecordingWindow::SetLabel2Caption(const std::string& caption) {
  label2 = caption;
  operations.push_back("label2:" + caption);
}

void RecordingWindow::ShowInformation(const std::string& text) {
  operations.push_back("info:" + text);
  if (on_box) on_box(text);
}

void RecordingWindow::ShowErrorReport(const std::string& text) {
  operations.push_back("error:" + text);
  if (on_box) on_box(text);
}

PumpReport RecordingWindow::PumpMessages() {
  ++pumps;
  if (!closed && on_pump && !on_pump(pumps)) closed = true;
  return PumpReport{!closed, 0};
}

std::vector<std::string> RecordingWindow::Boxes() const {
  std::vector<std::string> boxes;
  for (const std::string& op : operations) {
    if (op.rfind("info:", 0) == 0 || op.rfind("error:", 0) == 0) boxes.push_back(op);
  }
  return boxes;
}

}  // namespace trv::test
