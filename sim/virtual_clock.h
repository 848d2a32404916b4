// A clock on virtual time for tests: time moves only when someone sleeps or advances it, so a
// 3-second time-out takes no real time at all.
#pragma once

#include <cstdint>

#include "common/clock.h"

namespace trv::sim {

class VirtualClock final : public Clock {
 public:
  // A sleep of 0 ms still moves time on by this much, so a loop that polls and yields makes
  // progress instead of spinning at one instant.
  static constexpr std::uint64_t kDefaultYieldQuantumUs = 20;

  explicit VirtualClock(std::uint64_t yield_quantum_us = kDefaultYieldQuantumUs)
      : yield_quantum_us_(yield_quantum_us) {}

  std::uint64_t NowUs() override { return now_us_; }
  void SleepMs(std::uint32_t ms) override {
    now_us_ += ms == 0 ? yield_quantum_us_ : std::uint64_t{ms} * 1000;
  }

  void AdvanceUs(std::uint64_t us) { now_us_ += us; }
  void set_yield_quantum_us(std::uint64_t us) { yield_quantum_us_ = us; }

 private:
  std::uint64_t now_us_ = 0;
  std::uint64_t yield_quantum_us_;
};

}  // namespace trv::sim
