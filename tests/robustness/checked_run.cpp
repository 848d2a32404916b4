#include "checked_run.h"

#include <algorithm>
#include <fstream>

#include "common/operator_texts.h"
#include "common/posix_rom_file.h"
#include "fuzzed_driver.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"

namespace trv::robustness {
namespace {

// A sleep of 0 ms moves virtual time on by this much: long enough that a run whose every wait
// runs out still takes little real time, short against the 3 s windows.
constexpr std::uint64_t kYieldQuantumUs = 500;

// Every wait of a run lasts 3 s at most: two handshake phases, and per block two acknowledgement
// waits when programming plus one and the read-back wait when verifying. On top come the fixed
// settling pauses, the slack of a poll's overshoot, and whatever the input added by slow calls.
constexpr std::uint64_t kBoundedWaits = 2 + 4 * (kRomImageSize / WriteBlockLength);
constexpr std::uint64_t kMaxWaitsUs = kBoundedWaits * (3'000'000 + 30'000) + 1'000'000;

class WatchingWindow final : public WindowOperations {
 public:
  WatchingWindow(std::string path, std::uint32_t close_at_pump, AdapterDriver& driver,
                 ProgrammerState& state)
      : path_(std::move(path)), close_at_pump_(close_at_pump), driver_(driver), state_(state) {}

  std::string DeviceDescription() override { return sim::kDefaultAdapterDescription; }
  std::string RomFilePath() override { return path_; }
  void SetInputControlsEnabled(bool enabled) override { controls_enabled = enabled; }
  void SetProgressBarVisible(bool) override {}
  void SetSelectedFileVisible(bool) override {}
  void SetProgressRange(std::uint32_t, std::uint32_t) override {}
  void SetProgressPosition(std::uint32_t) override {}
  void SetLabel2Caption(const std::string&) override {}
  void ShowInformation(const std::string& text) override { Show(text); }
  void ShowErrorReport(const std::string& text) override { Show(text); }
  bool PumpMessages() override {
    if (!closed && ++pumps_ == close_at_pump_) {
      FormClose(driver_, state_);
      closed = true;
    }
    return !closed;
  }

  bool controls_enabled = true;
  bool closed = false;
  std::vector<std::string> messages;
  int messages_after_close = 0;

 private:
  void Show(const std::string& text) {
    messages.push_back(text);
    if (closed) ++messages_after_close;
  }

  std::string path_;
  std::uint32_t close_at_pump_;
  std::uint32_t pumps_ = 0;
  AdapterDriver& driver_;
  ProgrammerState& state_;
};

}  // namespace

std::vector<std::uint8_t> WriteTestImage(const std::string& path) {
  std::vector<std::uint8_t> image(kRomImageSize);
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<std::uint8_t>(i * 31 + 7);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
  return image;
}

std::vector<std::string> CheckedRun(const RunScript& script, ProgrammerState& state,
                                    const std::string& rom_path,
                                    const std::vector<std::uint8_t>& image) {
  sim::VirtualClock clock(kYieldQuantumUs);
  sim::SimConfig config;
  config.latency_us = script.latency_us;
  config.faults = script.faults;
  config.record = false;
  sim::SimulatedAdapter adapter(clock, config);
  Decisions decisions(script.decisions, script.decision_count);
  FuzzedDriver driver(adapter, clock, decisions);
  WatchingWindow window(rom_path, script.close_at_pump, driver, state);
  PosixRomFileSystem files;
  Programmer programmer{driver, clock, window, files, state};

  ProgramButtonClick(programmer);

  std::vector<std::string> broken = driver.violations();
  if (clock.NowUs() > kMaxWaitsUs + driver.added_us())
    broken.push_back("the run outlasted its bounded waits");
  if (!window.closed && !window.controls_enabled) broken.push_back("controls left disabled");
  if (state.adapter.open) broken.push_back("adapter-open flag left set");
  if (driver.closes() > 1) broken.push_back("adapter closed more than once");
  if (state.buffers.transmit.pending > kLinkBufferSize) broken.push_back("pending count overflow");
  const bool completed = std::find(window.messages.begin(), window.messages.end(),
                                   texts::kVerifiedMessage) != window.messages.end();
  const auto& flash = adapter.chip().flash();
  if (completed && !std::equal(image.begin(), image.end(), flash.begin())) {
    broken.push_back("completion reported but the flash differs from the file");
  }
  if (window.messages_after_close > 0) broken.push_back("a message shown after the window closed");
  return broken;
}

}  // namespace trv::robustness
