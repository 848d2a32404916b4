// One whole programming run of the core against the simulated adapter on the real clock, with a
// window that only counts and the ROM image held in memory: what a run costs with no window
// system at all, to set against the wire's bound and against the real program. Likewise one read
// of the whole flash, as the check's "Save flash..." makes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Runs "Program" once at an adapter latency of `latency_us`.
TimedRun TimeProgrammingRun(std::uint64_t latency_us);

struct TimedRead {
  double wall_seconds = 0;
  double bound_seconds = 0;  // the wire's lower bound for a read at the same latency
  bool equal = false;        // the bytes read are the chip's flash
};

// Reads the chip's whole flash once at an adapter latency of `latency_us`.
TimedRead TimeFlashRead(std::uint64_t latency_us);

}  // namespace trv::bench
