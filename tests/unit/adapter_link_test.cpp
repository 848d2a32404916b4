// The adapter link: pending bytes across partial writes, port set-up order, control lines,
// read limits and the adapter enumeration.
#include "adapter/adapter_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "sim/virtual_clock.h"
#include "support/scripted_driver.h"

namespace trv {
namespace {

using test::ScriptedDriver;
using Bytes = std::vector<std::uint8_t>;

class AdapterLinkTest : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  ScriptedDriver driver{clock};
  std::unique_ptr<LinkBuffers> buffers = std::make_unique<LinkBuffers>();
  AdapterLink link{driver, clock, *buffers};
  const AdapterHandle handle = 0x5A;

  void Append(const Bytes& bytes) {
    for (auto b : bytes)
      ASSERT_TRUE(link.AppendByte(b));
  }
};

TEST_F(AdapterLinkTest, SendPending_ShortWrite_Returns10AndKeepsUnwrittenBytesInFront) {
  driver.write_limit = 2;
  Append({1, 2, 3});
  EXPECT_EQ(link.SendPending(handle), kStatusShortWrite);
  EXPECT_EQ(link.pending(), 1u);

  driver.write_limit = UINT32_MAX;
  Append({4});
  EXPECT_EQ(link.SendPending(handle), kStatusOk);
  EXPECT_EQ(driver.writes, (std::vector<Bytes>{{1, 2}, {3, 4}}));
  EXPECT_EQ(link.pending(), 0u);
}

TEST_F(AdapterLinkTest, SendPending_WithCount_SendsOnlyTheFirstBytes) {
  Append({7, 8});
  EXPECT_EQ(link.SendPending(handle, 1), kStatusOk);
  EXPECT_EQ(driver.writes.back(), (Bytes{7}));
  EXPECT_EQ(link.pending(), 1u);
}

TEST_F(AdapterLinkTest, AppendByte_FullBuffer_DropsTheByteWithoutWritingPastTheEnd) {
  for (std::uint32_t i = 0; i < kLinkBufferSize; ++i)
    ASSERT_TRUE(link.AppendByte(0xFF));
  EXPECT_FALSE(link.AppendByte(0xFA));
  EXPECT_EQ(link.pending(), kLinkBufferSize);
  driver.write_limit = 1;
  link.SendPending(handle, 1);
  EXPECT_TRUE(link.AppendByte(0xFA));  // room again once a byte has gone
}

TEST_F(AdapterLinkTest, Read_NeverAsksForMoreThanTheReceiveBufferHolds) {
  driver.waiting.assign(kLinkBufferSize + 10, 0x55);
  EXPECT_EQ(link.Read(handle, link.BytesWaiting(handle)), kLinkBufferSize);
  EXPECT_EQ(driver.read_requests, (std::vector<std::uint32_t>{kLinkBufferSize}));
  EXPECT_EQ(driver.waiting.size(), 10u);  // the rest stays queued
}

TEST_F(AdapterLinkTest, BytesWaiting_FailedQueryCountsAsNone) {
  driver.waiting = {1, 2};
  driver.statuses["QB_GetQueueStatus"] = 4;
  EXPECT_EQ(link.BytesWaiting(handle), 0u);
}

TEST_F(AdapterLinkTest, ConfigureUart_AllAccepted_SetsTimeoutsLast) {
  EXPECT_EQ(link.ConfigureUart(handle, kProgrammingBaud), kStatusOk);
  EXPECT_EQ(driver.calls,
            (std::vector<std::string>{"QB_SetBaudRate 1000000", "QB_SetDataCharacteristics",
                                      "QB_SetFlowControl", "QB_SetTimeouts"}));
}

TEST_F(AdapterLinkTest, ConfigureUart_StopsAtTheFirstFailureAndReturnsItsStatus) {
  driver.statuses["QB_SetBaudRate 1000000"] = 7;
  EXPECT_EQ(link.ConfigureUart(handle, kProgrammingBaud), 7u);
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"QB_SetBaudRate 1000000"}));

  driver.calls.clear();
  driver.statuses.clear();
  driver.statuses["QB_SetFlowControl"] = 3;
  EXPECT_EQ(link.ConfigureUart(handle, kLoaderBaud), 3u);
  EXPECT_EQ(driver.calls.back(), "QB_SetFlowControl");
}

TEST_F(AdapterLinkTest, InitialiseUart_IgnoresControlLineStatusesAndUsesTheLoaderRate) {
  driver.statuses["QB_SetRts"] = 1;
  driver.statuses["QB_SetDtr"] = 1;
  EXPECT_EQ(link.InitialiseUart(handle), kStatusOk);
  EXPECT_EQ(driver.calls[0], "QB_SetRts");
  EXPECT_EQ(driver.calls[1], "QB_SetDtr");
  EXPECT_EQ(driver.calls[2], "QB_SetBaudRate 115200");
}

TEST_F(AdapterLinkTest, ControlLineSequences_UseTheirMasksTenMillisecondsApart) {
  const std::uint64_t start = clock.NowMs();
  link.EnterLoaderMode(handle);
  EXPECT_EQ(clock.NowMs() - start, 20u);
  link.EnterRunMode(handle);
  EXPECT_EQ(driver.calls,
            (std::vector<std::string>{"QB_SetBitMode 192 32", "QB_SetBitMode 200 32",
                                      "QB_SetBitMode 196 32", "QB_SetBitMode 204 32"}));
}

class EnumerateAdaptersTest : public AdapterLinkTest {};

TEST_F(EnumerateAdaptersTest, ListsDescriptionsInOrderIncludingDuplicatesAndFullLength) {
  const std::string sixty_four(64, 'D');
  driver.adapters = {"Adapter B", "Adapter A", "Adapter B", sixty_four + "tail"};
  const AdapterList list = EnumerateAdapters(driver, clock);
  EXPECT_EQ(list.status, kStatusOk);
  EXPECT_EQ(list.descriptions,
            (std::vector<std::string>{"Adapter B", "Adapter A", "Adapter B", sixty_four}));
}

TEST_F(EnumerateAdaptersTest, ListNotReady_IsAskedAgainUntilItAnswers) {
  driver.adapters = {"One"};
  driver.list_not_ready_calls = 5;
  const AdapterList list = EnumerateAdapters(driver, clock);
  EXPECT_EQ(list.status, kStatusOk);
  EXPECT_EQ(list.descriptions.size(), 1u);
}

TEST_F(EnumerateAdaptersTest, ListNeverReady_GivesUpAfterTheRetryLimit) {
  driver.adapters = {"One"};
  driver.list_not_ready_calls = -1;
  const std::uint64_t start = clock.NowMs();
  const AdapterList list = EnumerateAdapters(driver, clock);
  EXPECT_EQ(list.status, kStatusListNotReady);
  EXPECT_TRUE(list.descriptions.empty());
  EXPECT_FALSE(list.none_attached);
  // Each call takes 1 ms here: the asking stops at the first answer after the limit.
  EXPECT_EQ(clock.NowMs() - start, kListRetryLimitMs);
  EXPECT_EQ(std::count(driver.calls.begin(), driver.calls.end(), "QB_CreateDeviceInfoList"),
            kListRetryLimitMs);
}

TEST_F(EnumerateAdaptersTest, SecondCallReportingMore_TakesOnlyTheRecordsAllocated) {
  driver.adapters = {"One", "Two"};
  driver.list_count_override = 50;
  EXPECT_EQ(EnumerateAdapters(driver, clock).descriptions.size(), 2u);
}

std::vector<std::string> Numbered(std::size_t count) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < count; ++i)
    names.push_back("Adapter " + std::to_string(i));
  return names;
}

TEST_F(EnumerateAdaptersTest, AbsurdCount_IsBoundedAndTheRecordsStillListed) {
  driver.adapters = Numbered(kMaxListedAdapters + 50);
  for (std::uint32_t count : {kMaxListedAdapters + 1, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(count);
    driver.created_count = count;
    const AdapterList list = EnumerateAdapters(driver, clock);
    EXPECT_EQ(list.status, kStatusOk);
    EXPECT_FALSE(list.none_attached);
    ASSERT_EQ(list.descriptions.size(), kMaxListedAdapters);
    EXPECT_EQ(list.descriptions.front(), "Adapter 0");
    EXPECT_EQ(list.descriptions.back(), "Adapter 255");
  }
}

TEST_F(EnumerateAdaptersTest, DriverFillingMoreRecordsThanAsked_StaysInOurMemoryAndIsNotListed) {
  // Under AddressSanitizer a record written beyond the array fails this test.
  driver.adapters = Numbered(1 + kSpareAdapterRecords);
  driver.created_count = 1;
  driver.records_beyond_room = kSpareAdapterRecords;
  driver.list_count_override = 1 + kSpareAdapterRecords;
  EXPECT_EQ(EnumerateAdapters(driver, clock).descriptions, std::vector<std::string>{"Adapter 0"});
}

// An empty list, taken for no adapters only after a count of zero: not after a failed count or
// record call, nor when the adapters were unplugged between the two calls.
TEST_F(EnumerateAdaptersTest, EmptyList_OnlyACountOfZeroMeansNoAdapters) {
  struct Case {
    const char* what;
    std::vector<std::string> adapters;
    const char* failing_call;
    std::optional<std::uint32_t> created_count;
    StatusResult status;
  };
  const Case cases[] = {
      {"no adapters", {}, "", std::nullopt, kStatusOk},
      {"count fails", {"One"}, "QB_CreateDeviceInfoList", std::nullopt, 4},
      {"record call fails", {"One", "Two"}, "QB_GetDeviceInfoList", std::nullopt, kStatusOk},
      {"unplugged between the calls", {}, "", 2, kStatusOk}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    driver.adapters = c.adapters;
    driver.statuses = {{c.failing_call, 4}};
    driver.created_count = c.created_count;
    const AdapterList list = EnumerateAdapters(driver, clock);
    EXPECT_EQ(list.status, c.status);
    EXPECT_TRUE(list.descriptions.empty());
    EXPECT_EQ(list.none_attached, c.adapters.empty() && !c.created_count);
  }
}

}  // namespace
}  // namespace trv
