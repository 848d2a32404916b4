// The wire's least time for a whole run and for a read of the whole flash, against figures worked
// out by hand. At 1,000,000 baud a byte takes 10 us; a reply byte becomes readable the latency L
// after it arrived. The handshake is two echoed bytes: 40 us + 2L. A programming block is 4 + 128
// bytes out and two acknowledgements back: 1,340 us + 2L. A verification block is 4 bytes out and
// the acknowledgement with 128 bytes back: 1,330 us + L. Four control-line pauses of 10 ms and two
// baud-change pauses of 100 ms add 240 ms. A read of the flash has no programming blocks.
#include "check/run_time_model.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(RunTimeModelTest, NoLatency_IsTheBytesOnTheWireAndThePauses) {
  // 0.04 + 512 * 1.34 + 512 * 1.33 + 240 ms
  EXPECT_DOUBLE_EQ(ProgrammingRunSeconds(0), 1.60708);
  // 0.04 + 512 * 1.33 + 240 ms
  EXPECT_DOUBLE_EQ(FlashReadSeconds(0), 0.921);
}

TEST(RunTimeModelTest, OneMillisecondLatency_IsPaidByEveryReply) {
  // 2.04 + 512 * 3.34 + 512 * 2.33 + 240 ms
  EXPECT_DOUBLE_EQ(ProgrammingRunSeconds(1000), 3.14508);
  // 2.04 + 512 * 2.33 + 240 ms
  EXPECT_DOUBLE_EQ(FlashReadSeconds(1000), 1.435);
}

}  // namespace
}  // namespace trv
