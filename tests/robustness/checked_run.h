// One programming run against the simulated chip behind a fuzzed driver, and the properties that
// must hold afterwards whatever the adapter and the chip did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "programming/programming_run.h"
#include "sim/sim_config.h"

namespace trv::robustness {

// What a run may decide beyond the simulator's own faults.
struct RunScript {
  const std::uint8_t* decisions = nullptr;  // drives the fuzzed driver; none: a faithful driver
  std::size_t decision_count = 0;
  sim::SimFaults faults;
  std::uint64_t latency_us = 1000;
  // Close the window at this pump (0: never), as an operator closing it mid-run would.
  std::uint32_t close_at_pump = 0;
};

// Runs `script` once with `state` (reused across runs, like the program's own) and the ROM image
// at `rom_path`, whose bytes are `image`. Returns the broken properties; empty when all held.
std::vector<std::string> CheckedRun(const RunScript& script, ProgrammerState& state,
                                    const std::string& rom_path,
                                    const std::vector<std::uint8_t>& image);

// Writes a recognisable 65,536-byte image to `path` and returns its bytes.
std::vector<std::uint8_t> WriteTestImage(const std::string& path);

}  // namespace trv::robustness
