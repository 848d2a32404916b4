// The clock seam: monotonic time and sleeping, injected into everything that waits.
#pragma once

#include <cstdint>

namespace trv {

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic time in microseconds from an arbitrary origin; never jumps back.
  virtual std::uint64_t NowUs() = 0;
  // Suspends the calling thread; 0 gives up the rest of its time slice.
  virtual void SleepMs(std::uint32_t ms) = 0;

  std::uint64_t NowMs() { return NowUs() / 1000; }
};

}  // namespace trv
