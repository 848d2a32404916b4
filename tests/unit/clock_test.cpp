// The real clock, which the program waits on.
#include <gtest/gtest.h>

#include <chrono>

#include "common/system_clock.h"

namespace trv {
namespace {

// Every wait of the program measures its time-out with this clock, so time must never run back,
// and the settling pauses after a control-line change must last their whole 10 ms.
TEST(SystemClockTest, NeverRunsBackAndATenMillisecondSleepLastsAtLeastThat) {
  SystemClock clock;
  std::uint64_t before = clock.NowUs();
  for (int read = 0; read < 100000; ++read) {
    const std::uint64_t now = clock.NowUs();
    ASSERT_GE(now, before);
    before = now;
  }
  const auto outside_before = std::chrono::steady_clock::now();
  clock.SleepMs(10);
  const auto outside_slept = std::chrono::steady_clock::now() - outside_before;
  EXPECT_GE(clock.NowUs() - before, 10'000u);
  EXPECT_GE(outside_slept, std::chrono::milliseconds(10));
}

}  // namespace
}  // namespace trv
