// The least time one whole successful programming run can take on the wire, so that a measured
// run can be set against it: anything above the bound is the cost of the software. It is the
// model the check estimates a run with (check/run_time_model.h), so the two always agree.
#pragma once

#include <cstdint>

#include "check/run_time_model.h"

namespace trv::bench {

// In seconds, for an adapter that makes each reply byte readable `latency_us` after it arrived.
inline double WireBoundSeconds(std::uint64_t latency_us) {
  return ProgrammingRunSeconds(latency_us);
}

}  // namespace trv::bench
