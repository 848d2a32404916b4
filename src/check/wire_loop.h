// Whether the adapter's TX is looped to its RX (a loopback plug or a jumper, with no chip), and
// what the loop does to bytes sent round it.
#pragma once

#include <cstdint>
#include <vector>

#include "check/check_session.h"

namespace trv {

// Single-byte round trips timed at 1,000,000 baud: enough for a median and a longest.
constexpr std::uint32_t kRoundTrips = 20;

struct LoopResult {
  enum class Kind {
    kNoLoop,       // nothing came back
    kIntact,       // every byte came back unchanged
    kLost,         // fewer came back than went
    kChanged,      // as many came back, but not the same
    kTookNothing,  // the adapter took none of the bytes to send
    kStopped,      // the window was closed
  };
  Kind kind;
  std::uint32_t rate = 0;                     // the rate at which it went wrong
  std::uint32_t missing = 0;                  // kLost: bytes that did not come back
  std::vector<std::uint64_t> round_trips_us;  // kIntact: each trip's own time
};

// Holds the chip in reset, so that a chip on the wire running its loader from an earlier run
// cannot take the bytes for commands (0x03 would start a write), and sends a pattern of every byte
// value round the loop at 115,200 and at 1,000,000 baud; then kRoundTrips single bytes at
// 1,000,000 baud. Nothing back at all means no loop.
LoopResult TestLoop(CheckSession& session);

}  // namespace trv
