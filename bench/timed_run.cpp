#include "bench/timed_run.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "check/flash_read.h"
#include "check/run_time_model.h"
#include "common/memory_rom_file_system.h"
#include "common/operator_texts.h"
#include "common/system_clock.h"
#include "programming/programming_run.h"
#include "sim/simulated_adapter.h"

namespace trv::bench {
namespace {

constexpr char kRomPath[] = "bench.ROM";

// The check's view and pump, doing nothing: a read's own cost is what is timed.
class IdleCheckWindow final : public CheckView, public MessagePump {
 public:
  void ShowLine(const CheckLine&) override {}
  void ShowReadProgress(std::uint32_t) override {}
  PumpReport PumpMessages() override { return PumpReport{}; }
};

std::vector<std::uint8_t> Image() {
  std::vector<std::uint8_t> image(kRomImageSize);
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>(i * 13 + 5);
  }
  return image;
}

// The simulated adapter at `latency_us`, keeping no record: the record's growth is not timed.
sim::SimConfig Unrecorded(std::uint64_t latency_us) {
  sim::SimConfig config;
  config.latency_us = latency_us;
  config.record = false;
  return config;
}

}  // namespace

std::string CountingWindow::DeviceDescription() {
  return sim::kDefaultAdapterDescription;
}

std::string CountingWindow::RomFilePath() {
  return kRomPath;
}

void CountingWindow::SetLabel2Caption(const std::string& caption) {
  in_pass_ = caption != texts::kIdleHeading;
  if (in_pass_ && passes_start_us_ == 0) {
    passes_start_us_ = clock_.NowUs();
  }
}

void CountingWindow::ShowInformation(const std::string& text) {
  if (result_.messages.empty() && passes_start_us_ != 0) {
    result_.passes_seconds = (clock_.NowUs() - passes_start_us_) / 1e6;
  }
  result_.messages.push_back(text);
}

void CountingWindow::ShowErrorReport(const std::string& text) {
  result_.messages.push_back(text);
}

PumpReport CountingWindow::PumpMessages() {
  const std::uint64_t now = clock_.NowUs();
  if (last_pump_us_ != 0) {
    const std::uint64_t gap = now - last_pump_us_;
    result_.longest_gap_us = std::max(result_.longest_gap_us, gap);
    if (in_pass_) {
      result_.longest_gap_in_passes_us = std::max(result_.longest_gap_in_passes_us, gap);
    }
  }
  last_pump_us_ = now;
  ++result_.pumps;
  return PumpReport{};
}

bool TimedRun::Verified() const {
  return messages.size() == 1 && messages[0] == texts::kVerifiedMessage;
}

TimedRun TimeProgrammingRun(std::uint64_t latency_us, const WindowMaker& make_window) {
  TimedRun result;
  SystemClock clock;
  sim::SimulatedAdapter adapter(clock, Unrecorded(latency_us));
  const std::unique_ptr<CountingWindow> window =
      make_window ? make_window(clock, result) : std::make_unique<CountingWindow>(clock, result);
  // The image in memory: file reads are not what is being timed.
  MemoryRomFileSystem files;
  files.Put(kRomPath, Image());
  const auto state = std::make_unique<ProgrammerState>();
  Programmer programmer{adapter, clock, *window, *window, files, *state};

  const auto start = std::chrono::steady_clock::now();
  ProgramButtonClick(programmer);
  result.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.bound_seconds = ProgrammingRunSeconds(latency_us);
  return result;
}

TimedRead TimeFlashRead(std::uint64_t latency_us) {
  TimedRead result;
  SystemClock clock;
  sim::SimulatedAdapter adapter(clock, Unrecorded(latency_us));
  const std::vector<std::uint8_t> image = Image();
  sim::Flash flash;
  std::copy(image.begin(), image.end(), flash.begin());
  adapter.chip().set_flash(flash);
  IdleCheckWindow window;
  const DriverLibrary library{&adapter, "", "", ""};
  AdapterSession session;
  const auto buffers = std::make_unique<LinkBuffers>();
  CheckTools tools{library, clock, window, window, session, *buffers};

  const auto start = std::chrono::steady_clock::now();
  const auto read = ReadWholeFlash(tools, sim::kDefaultAdapterDescription);
  result.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.bound_seconds = FlashReadSeconds(latency_us);
  result.equal = read && *read == image;
  return result;
}

}  // namespace trv::bench
