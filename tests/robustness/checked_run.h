// One programming run against the simulated chip behind a fuzzed driver, with the ROM file and
// the window as actors too, followed by a fault-free run on the same program state and chip; and
// the properties that must hold after both, whatever the adapter, the chip and the file did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/memory_rom_file_system.h"
#include "programming/programming_run.h"
#include "rom_file_actor.h"
#include "run_outcome.h"
#include "sim/sim_config.h"

namespace trv::robustness {

// What a run may decide beyond the simulator's own faults.
struct RunScript {
  const std::uint8_t* decisions = nullptr;  // drives the fuzzed driver; none: a faithful driver
  std::size_t decision_count = 0;
  sim::SimFaults faults;
  std::uint64_t latency_us = 1000;
  // The window closes at this pump (0: never), or while this message box is up (1-based, 0:
  // never), as an operator closing it mid-run would.
  std::uint32_t close_at_pump = 0;
  std::uint32_t close_in_box = 0;
  // The operator holds the window at this pump (0: never) for `hold_us`: the pump returns only
  // then, and says so, as when Windows runs a modal loop for a drag or the system menu.
  std::uint32_t hold_at_pump = 0;
  std::uint64_t hold_us = 0;
  // Every this many pumps (0: none) takes `slow_pump_us` without any modal loop, as on a busy
  // desktop, under another program's message hook or in a flood of repaints: the programmer's
  // own time, which its waits must count.
  std::uint32_t slow_pump_every = 0;
  std::uint64_t slow_pump_us = 0;
  std::vector<FileEvent> file_events;
};

// What the chip's flash holds before a run.
enum class FlashSeed { kErased, kImage, kOther, kNearImage };

// The test rig: what lives from one run to the next, as in the program and on the bench: the
// program-wide state, the chip's flash and the ROM file (whose bytes are `image()` at the start of
// each run).
class Rig {
 public:
  Rig();
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  static constexpr char kRomPath[] = "C:\\images\\bench.ROM";
  const std::vector<std::uint8_t>& image() const { return image_; }
  MemoryRomFileSystem& files() { return files_; }
  // Puts the image back in the file, whatever happened to it.
  void RestoreImage() { files_.Put(kRomPath, image_); }
  ProgrammerState& state() { return *state_; }
  // As at the program's start: nothing pending, no adapter open.
  void ResetState() { state_ = std::make_unique<ProgrammerState>(); }
  std::vector<std::uint8_t>& flash() { return flash_; }
  void SeedFlash(FlashSeed seed, std::uint32_t detail);

  // The pump at `fraction` / 65,536 of a fault-free run at this latency, from 1 to its last
  // pump, so that events can land anywhere in a run, verification and final steps included.
  std::uint32_t PumpAt(std::uint64_t latency_us, std::uint16_t fraction);

 private:
  std::vector<std::uint8_t> image_;
  MemoryRomFileSystem files_;
  std::unique_ptr<ProgrammerState> state_;
  std::vector<std::uint8_t> flash_;
  std::map<std::uint64_t, std::uint32_t> clean_run_pumps_;
};

struct RunReport {
  std::vector<std::string> broken;  // both runs' broken properties; empty when all held
  bool completed = false;           // the scripted run reported completion
};

// Runs `script` on the rig, then a fault-free run on the same program state and flash, which
// must complete with the flash equal to the image whatever the first run met.
RunReport CheckedRun(const RunScript& script, Rig& rig);

}  // namespace trv::robustness
