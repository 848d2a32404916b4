// The QBSIM_* configuration strings: defaults, adapter lists, latency and every fault name, and
// the errors a mistyped configuration gets instead of silently running without its fault.
#include "sim/sim_config.h"

#include <gtest/gtest.h>

#include <string>

namespace trv::sim {
namespace {

SimConfigResult Faults(const std::string& faults) {
  return ParseSimConfig(std::nullopt, std::nullopt, faults);
}

TEST(SimConfigTest, Unset_OneDefaultAdapterOneMillisecondNoFaults) {
  const SimConfigResult result = ParseSimConfig(std::nullopt, std::nullopt, std::nullopt);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.config.adapters, std::vector<std::string>{"QB USB Serial Adapter"});
  EXPECT_EQ(result.config.latency_us, 1000u);
  EXPECT_EQ(result.config.faults.list_busy, 0u);
  EXPECT_FALSE(result.config.faults.silent_chip);
  EXPECT_FALSE(result.config.faults.unplug_at_block);
}

TEST(SimConfigTest, Adapters_SplitOnBarsAndEmptyMeansNone) {
  auto result = ParseSimConfig(std::string("A|B|A"), std::nullopt, std::nullopt);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.config.adapters, (std::vector<std::string>{"A", "B", "A"}));

  result = ParseSimConfig(std::string(""), std::nullopt, std::nullopt);
  ASSERT_TRUE(result.ok());
  EXPECT_TRUE(result.config.adapters.empty());
}

TEST(SimConfigTest, Adapters_SixtyFourCharactersAcceptedLongerOrEmptyRefused) {
  EXPECT_TRUE(ParseSimConfig(std::string(64, 'x'), std::nullopt, std::nullopt).ok());
  EXPECT_FALSE(ParseSimConfig(std::string(65, 'x'), std::nullopt, std::nullopt).ok());
  EXPECT_FALSE(ParseSimConfig(std::string("A||B"), std::nullopt, std::nullopt).ok());
}

TEST(SimConfigTest, Latency_MillisecondsBecomeMicrosecondsAndJunkIsRefused) {
  EXPECT_EQ(ParseSimConfig(std::nullopt, std::string("5"), std::nullopt).config.latency_us, 5000u);
  EXPECT_EQ(ParseSimConfig(std::nullopt, std::string("0"), std::nullopt).config.latency_us, 0u);
  const auto bad = ParseSimConfig(std::nullopt, std::string("1ms"), std::nullopt);
  EXPECT_FALSE(bad.ok());
  EXPECT_NE(bad.error.find("QBSIM_LATENCY_MS"), std::string::npos);
}

TEST(SimConfigTest, Wiring_ChipUnlessLoopbackOrOpenIsNamed) {
  const auto wiring = [](const char* name) {
    return ParseSimConfig(std::nullopt, std::nullopt, std::nullopt, std::string(name));
  };
  EXPECT_EQ(ParseSimConfig(std::nullopt, std::nullopt, std::nullopt).config.wiring, Wiring::kChip);
  EXPECT_EQ(wiring("chip").config.wiring, Wiring::kChip);
  EXPECT_EQ(wiring("loopback").config.wiring, Wiring::kLoopback);
  EXPECT_EQ(wiring("open").config.wiring, Wiring::kOpen);
  EXPECT_NE(wiring("loop").error.find("QBSIM_WIRING"), std::string::npos);
}

// Empty items are skipped.
TEST(SimConfigTest, Faults_EveryNameSetsItsFieldInDecimalOrHex) {
  const auto result = Faults(
      ",list_busy=3, list_status=0x4,,open_status=5,reject_baud=1000000,data_status=6,"
      "flow_status=7,write_limit=2,close_status=8,silent_chip,echo_only_fa,"
      "no_write_command_ack=1,wrong_write_command_ack=2,no_block_ack=3,wrong_block_ack=4,"
      "no_read_command_ack=5,corrupt_read=0xFFFF,stale_bytes=9,short_readback=6,"
      "unplug_at_block=0x10,loop_loses=3,loop_changes=4");
  ASSERT_TRUE(result.ok()) << result.error;
  const SimFaults& f = result.config.faults;
  EXPECT_EQ(f.list_busy, 3u);
  EXPECT_EQ(f.list_status, 4u);
  EXPECT_EQ(f.open_status, 5u);
  EXPECT_EQ(f.reject_baud, 1000000u);
  EXPECT_EQ(f.data_status, 6u);
  EXPECT_EQ(f.flow_status, 7u);
  EXPECT_EQ(f.write_limit, 2u);
  EXPECT_EQ(f.close_status, 8u);
  EXPECT_TRUE(f.silent_chip);
  EXPECT_TRUE(f.echo_only_fa);
  EXPECT_EQ(f.no_write_command_ack, 1u);
  EXPECT_EQ(f.wrong_write_command_ack, 2u);
  EXPECT_EQ(f.no_block_ack, 3u);
  EXPECT_EQ(f.wrong_block_ack, 4u);
  EXPECT_EQ(f.no_read_command_ack, 5u);
  EXPECT_EQ(f.corrupt_read, 0xFFFFu);
  EXPECT_EQ(f.stale_bytes, 9u);
  EXPECT_EQ(f.short_readback, 6u);
  EXPECT_EQ(f.unplug_at_block, 16u);
  EXPECT_EQ(f.loop_loses, 3u);
  EXPECT_EQ(f.loop_changes, 4u);
  EXPECT_EQ(Faults("list_busy=forever").config.faults.list_busy, SimFaults::kForever);
}

TEST(SimConfigTest, Faults_MistakesAreRefusedWithTheirReason) {
  struct Case {
    const char* faults;
    const char* reason;
  };
  const Case cases[] = {
      {"silent_chips", "unknown fault 'silent_chips'"},
      {"no_block_ack", "needs a value"},
      {"silent_chip=1", "takes no value"},
      {"write_limit=", "bad value"},
      {"write_limit=12x", "bad value"},
      {"write_limit=-1", "bad value"},
      {"write_limit=0x", "bad value"},
      {"write_limit=4294967296", "bad value"},
      {"corrupt_read=0x10000", "bad value"},
      {"open_status=forever", "bad value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faults);
    const auto result = Faults(c.faults);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
  }
}

}  // namespace
}  // namespace trv::sim
