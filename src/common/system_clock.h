// The real monotonic clock, for the program, the stand-in driver and the benchmarks.
#pragma once

#include "common/clock.h"

namespace trv {

class SystemClock final : public Clock {
 public:
  std::uint64_t NowUs() override;
  void SleepMs(std::uint32_t ms) override;
};

}  // namespace trv
