// One whole programming run of the core against the simulated adapter on the real clock, with a
// window that only counts and the ROM image held in memory: what a run costs with no window
// system at all, to set against the wire's bound and against the real program. Likewise one read
// of the whole flash, as the check's "Save flash..." makes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/window_operations.h"
#include "loader/message_pump.h"

namespace trv::bench {

struct TimedRun {
  double wall_seconds = 0;
  double bound_seconds = 0;   // the wire's lower bound at the same latency
  double passes_seconds = 0;  // from the start of the programming pass to the completion message
  std::uint64_t pumps = 0;
  std::uint64_t longest_gap_us = 0;  // between two pumps of the window, over the whole run
  std::uint64_t longest_gap_in_passes_us = 0;
  std::vector<std::string> messages;  // every box the run showed, in order

  // The run ended with the completion message and nothing else.
  bool Verified() const;
};

// A window that only counts what the run shows and remembers the longest stretch between two of
// its pumps; a window that also draws builds on it.
class CountingWindow : public WindowOperations, public MessagePump {
 public:
  CountingWindow(Clock& clock, TimedRun& result) : clock_(clock), result_(result) {}

  std::string DeviceDescription() override;
  std::string RomFilePath() override;
  void SetInputControlsEnabled(bool) override {}
  void SetProgressBarVisible(bool) override {}
  void SetSelectedFileVisible(bool) override {}
  void SetProgressRange(std::uint32_t, std::uint32_t) override {}
  void SetProgressPosition(std::uint32_t) override {}
  void SetLabel2Caption(const std::string& caption) override;
  void ShowInformation(const std::string& text) override;
  void ShowErrorReport(const std::string& text) override;
  PumpReport PumpMessages() override;

 private:
  Clock& clock_;
  TimedRun& result_;
  std::uint64_t last_pump_us_ = 0;
  std::uint64_t passes_start_us_ = 0;
  bool in_pass_ = false;
};

using WindowMaker = std::function<std::unique_ptr<CountingWindow>(Clock&, TimedRun&)>;

// Runs "Program" once at an adapter latency of `latency_us`, with a window that only counts or
// one that `make_window` makes.
TimedRun TimeProgrammingRun(std::uint64_t latency_us, const WindowMaker& make_window = {});

#ifdef _WIN32
// The same run through a plain window of the programmer's controls, acted on directly and pumped
// by handing the thread every pending message wherever the run pumps: what a window costs with
// nothing of the programmer's own.
TimedRun TimePlainWindowRun(std::uint64_t latency_us);
#endif

struct TimedRead {
  double wall_seconds = 0;
  double bound_seconds = 0;  // the wire's lower bound for a read at the same latency
  bool equal = false;        // the bytes read are the chip's flash
};

// Reads the chip's whole flash once at an adapter latency of `latency_us`.
TimedRead TimeFlashRead(std::uint64_t latency_us);

}  // namespace trv::bench
