// The adapter and chip check: whether the driver library, the adapter, the serial set-up, the
// wire and the chip's loader work, and how long a programming run will take here. It never sends a
// write-address command, so it never changes a byte of flash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/check_tools.h"
#include "check/check_view.h"

namespace trv {

// A round trip the check took as long as this or longer makes replies wait for the adapter's
// latency setting rather than for the wire.
constexpr std::uint64_t kLongRoundTripUs = 4000;

// The time a programming run will take, from the round trip the check measured.
struct RunEstimate {
  std::uint64_t round_trip_us;  // the loop's median single-byte trip, or the chip's read
  std::uint64_t latency_us;     // the round trip less the bytes' own time on the wire
  double run_seconds;
};

struct CheckResult {
  std::vector<CheckLine> lines;  // as shown, in order
  std::optional<RunEstimate> estimate;
};

// The six checks in order, each line shown as soon as its check has ended, on the adapter chosen
// by `description`. The adapter is closed on every way out, once; a chip that was held in reset
// or restarted into its loader is restarted into normal operation first, unless the adapter
// stopped answering. A closed window stops the check at its next pump.
CheckResult RunCheck(CheckTools& tools, const std::string& description);

}  // namespace trv
