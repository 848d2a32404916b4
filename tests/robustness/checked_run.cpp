#include "checked_run.h"

#include <algorithm>

#include "common/operator_texts.h"
#include "fuzzed_driver.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"

namespace trv::robustness {
namespace {

// A sleep of 0 ms moves virtual time on by this much: long enough that a run whose every wait
// runs out still takes little real time, short against the 3 s windows.
constexpr std::uint64_t kYieldQuantumUs = 500;
// Longer than any run can take, however slow its adapter and window (a whole run with every pump
// 250 ms slow takes minutes): the window is closed to stop a run that would never end.
constexpr std::uint64_t kEndlessRunUs = 3'600'000'000;

class WatchingWindow final : public WindowOperations, public MessagePump {
 public:
  WatchingWindow(const RunScript& script, Rig& rig, FuzzedDriver& driver, sim::VirtualClock& clock,
                 RecordingRomFiles& files, RunOutcome& outcome)
      : script_(script),
        rig_(rig),
        driver_(driver),
        clock_(clock),
        files_(files),
        outcome_(outcome),
        started_us_(clock.NowUs()) {}

  std::string DeviceDescription() override { return sim::kDefaultAdapterDescription; }
  std::string RomFilePath() override { return Rig::kRomPath; }
  void SetInputControlsEnabled(bool enabled) override { outcome_.controls_enabled = enabled; }
  void SetProgressBarVisible(bool) override {}
  void SetSelectedFileVisible(bool) override {}
  void SetProgressRange(std::uint32_t, std::uint32_t) override {}
  void SetProgressPosition(std::uint32_t) override {}
  // The heading tells which pass opens the file next, so its reads are kept apart.
  void SetLabel2Caption(const std::string& caption) override {
    if (caption == texts::kProgrammingHeading) {
      files_.RecordInto(&outcome_.programming);
    } else if (caption == texts::kVerifyingHeading) {
      files_.RecordInto(&outcome_.verification);
    } else {
      files_.RecordInto(nullptr);
    }
  }
  void ShowInformation(const std::string& text) override { Show(text); }
  void ShowErrorReport(const std::string& text) override { Show(text); }
  PumpReport PumpMessages() override {
    ++pumps_;
    for (const FileEvent& event : script_.file_events) {
      if (event.at_pump == pumps_) ApplyFileEvent(rig_.files(), Rig::kRomPath, event, rig_.image());
    }
    PumpReport report;
    const std::uint64_t from_us = clock_.NowUs();
    if (pumps_ == script_.hold_at_pump) {
      clock_.AdvanceUs(script_.hold_us);
      driver_.timeline().OnWindowHeld(from_us, clock_.NowUs());
      report.held_us = script_.hold_us;
    } else if (script_.slow_pump_every > 0 && pumps_ % script_.slow_pump_every == 0) {
      clock_.AdvanceUs(script_.slow_pump_us);
      driver_.timeline().OnWindowBusy(from_us, clock_.NowUs());
    }
    if (pumps_ == script_.close_at_pump) Close();
    if (clock_.NowUs() - started_us_ > kEndlessRunUs && !outcome_.window_closed) {
      outcome_.endless = true;
      Close();
    }
    report.window_open = !outcome_.window_closed;
    return report;
  }

  std::uint32_t pumps() const { return pumps_; }

 private:
  void Show(const std::string& text) {
    outcome_.messages.push_back(text);
    if (outcome_.window_closed) ++outcome_.messages_after_close;
    // A modal box runs its own message loop, so the window can be closed while it is up.
    if (++boxes_ == script_.close_in_box) Close();
  }
  void Close() {
    if (outcome_.window_closed) return;
    FormClose(driver_, rig_.state());
    outcome_.window_closed = true;
  }

  const RunScript& script_;
  Rig& rig_;
  FuzzedDriver& driver_;
  sim::VirtualClock& clock_;
  RecordingRomFiles& files_;
  RunOutcome& outcome_;
  std::uint64_t started_us_;
  std::uint32_t pumps_ = 0;
  std::uint32_t boxes_ = 0;
};

// Runs `script` once on the rig and returns what it left behind, unchecked; `pumps`, when given,
// takes the number of pumps the run made.
RunOutcome RunOnce(const RunScript& script, Rig& rig, std::uint32_t* pumps = nullptr) {
  RunOutcome outcome;
  outcome.flash_before = rig.flash();
  outcome.open_files_before = rig.files().open_files();

  sim::VirtualClock clock(kYieldQuantumUs);
  sim::SimConfig config;
  config.latency_us = script.latency_us;
  config.faults = script.faults;
  config.record = false;
  sim::SimulatedAdapter adapter(clock, config);
  sim::Flash flash;
  std::copy(rig.flash().begin(), rig.flash().end(), flash.begin());
  adapter.chip().set_flash(flash);
  Decisions decisions(script.decisions, script.decision_count);
  FuzzedDriver driver(adapter, clock, decisions);
  RecordingRomFiles files(rig.files());
  WatchingWindow window(script, rig, driver, clock, files, outcome);
  Programmer programmer{driver, clock, window, window, files, rig.state()};

  ProgramButtonClick(programmer);

  outcome.driver_findings = driver.Finish(clock.NowUs());
  outcome.adapter_left_open = rig.state().adapter.open;
  outcome.closes = driver.closes();
  outcome.pending = rig.state().buffers.transmit.pending;
  rig.flash().assign(adapter.chip().flash().begin(), adapter.chip().flash().end());
  outcome.flash_after = rig.flash();
  outcome.open_files_after = rig.files().open_files();
  if (pumps != nullptr) *pumps = window.pumps();
  return outcome;
}

}  // namespace

Rig::Rig()
    : image_(kRomImageSize),
      state_(std::make_unique<ProgrammerState>()),
      flash_(kRomImageSize, 0xFF) {
  for (std::size_t i = 0; i < image_.size(); ++i)
    image_[i] = static_cast<std::uint8_t>(i * 31 + 7);
  RestoreImage();
}

void Rig::SeedFlash(FlashSeed seed, std::uint32_t detail) {
  switch (seed) {
    case FlashSeed::kErased:
      std::fill(flash_.begin(), flash_.end(), 0xFF);
      break;
    case FlashSeed::kImage:
      flash_ = image_;
      break;
    case FlashSeed::kOther:
      for (std::size_t i = 0; i < flash_.size(); ++i)
        flash_[i] = static_cast<std::uint8_t>(i * 13 + detail);
      break;
    case FlashSeed::kNearImage:
      flash_ = image_;
      flash_[detail % kRomImageSize] ^= 0xFF;
      break;
  }
}

std::uint32_t Rig::PumpAt(std::uint64_t latency_us, std::uint16_t fraction) {
  auto known = clean_run_pumps_.find(latency_us);
  if (known == clean_run_pumps_.end()) {
    // Measured on a scratch state and flash, so the rig itself is left as it was.
    Rig scratch;
    RunScript clean;
    clean.latency_us = latency_us;
    std::uint32_t pumps = 0;
    RunOnce(clean, scratch, &pumps);
    known = clean_run_pumps_.emplace(latency_us, pumps).first;
  }
  return 1 + static_cast<std::uint32_t>(std::uint64_t{fraction} * known->second / 65536);
}

RunReport CheckedRun(const RunScript& script, Rig& rig) {
  RunReport report;
  rig.RestoreImage();
  const RunOutcome outcome = RunOnce(script, rig);
  report.broken = CheckOutcome(outcome);
  report.completed = outcome.completed();

  // Whatever the first run met, the next one on the same program and chip must succeed: nothing
  // it left behind may reach the chip or the operator.
  rig.RestoreImage();
  const RunOutcome next = RunOnce(RunScript{}, rig);
  for (const std::string& what : CheckOutcome(next))
    report.broken.push_back("in the fault-free run after it: " + what);
  if (next.messages != std::vector<std::string>{texts::kVerifiedMessage}) {
    std::string shown;
    for (const std::string& message : next.messages)
      shown += " \"" + message + "\"";
    report.broken.push_back("the fault-free run after it did not complete; it showed" +
                            (shown.empty() ? std::string(" nothing") : shown));
  }
  return report;
}

}  // namespace trv::robustness
