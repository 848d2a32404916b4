// The loader conversation: baud change, the two-phase handshake, acknowledgement waits and the
// address commands, against a driver that scripts exactly what arrives at which poll.
#include "loader/loader_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "sim/virtual_clock.h"
#include "support/scripted_driver.h"

namespace trv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The window's message pump as the waits see it: it counts the pumps, and a test may act in each
// and choose what it reports.
struct ScriptedPump final : MessagePump {
  std::function<PumpReport(int pump_number)> on_pump;
  int pumps = 0;

  PumpReport PumpMessages() override {
    ++pumps;
    return on_pump ? on_pump(pumps) : PumpReport{};
  }
};

class LoaderProtocolTest : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  test::ScriptedDriver driver{clock};
  ScriptedPump pump;
  std::unique_ptr<LinkBuffers> buffers = std::make_unique<LinkBuffers>();
  AdapterLink link{driver, clock, *buffers};
  LoaderContext context{link, pump};
  const AdapterHandle handle = 0x5A;

  std::uint64_t ElapsedMs(std::uint64_t start) { return clock.NowMs() - start; }
  // Each poll then takes exactly 1 ms, so poll k ends at (k + 1) ms.
  void MillisecondPolls() {
    driver.query_cost_ms = 1;
    clock.set_yield_quantum_us(0);
  }
  long CountWritten(std::uint8_t byte) {
    const Bytes all = driver.WrittenBytes();
    return std::count(all.begin(), all.end(), byte);
  }
};

TEST_F(LoaderProtocolTest, SetLoaderBaud_SendsTheRateCodeAndWaits100msShortWriteOrNot) {
  std::uint64_t start = clock.NowMs();
  EXPECT_EQ(SetLoaderBaud(context, handle, kProgrammingBaud), kStatusOk);
  EXPECT_EQ(ElapsedMs(start), 100u);
  EXPECT_EQ(SetLoaderBaud(context, handle, kLoaderBaud), kStatusOk);
  EXPECT_EQ(driver.writes, (std::vector<Bytes>{{0x01, 0x70, 0x17, 0x03, 0x00, 0x00},
                                               {0x01, 0x70, 0x17, 0x1A, 0x00, 0x00}}));
  driver.write_limit = 3;
  start = clock.NowMs();
  EXPECT_EQ(SetLoaderBaud(context, handle, kProgrammingBaud), kStatusShortWrite);
  EXPECT_EQ(ElapsedMs(start), 100u);
}

TEST_F(LoaderProtocolTest, AddressCommands_SendAddressLowByteFirstAndTheBlockLength) {
  SendWriteAddress(context, handle, 0xFF80);
  SendReadAddress(context, handle, 0x1234);
  EXPECT_EQ(driver.writes,
            (std::vector<Bytes>{{0x03, 0x80, 0xFF, 0x80}, {0x02, 0x34, 0x12, 0x80}}));
}

// The handshake against loaders that answer at once, late or not at all, polled once a
// millisecond: the outcome, and how long it took. One probe goes out per poll of the probe phase,
// which ends at the first read ending in 0xFF; the confirm byte goes out once whatever happens,
// last.
struct HandshakeCase {
  const char* name;
  std::vector<std::pair<int, Bytes>> arrivals;  // bytes that start waiting at a poll
  bool synchronised;
  std::uint64_t min_ms;
  std::uint64_t max_ms;  // exclusive
  long probes = -1;      // -1: not counted
};

class HandshakeTimingTest : public LoaderProtocolTest,
                            public ::testing::WithParamInterface<HandshakeCase> {};

TEST_P(HandshakeTimingTest, EndsWithinItsWindows) {
  MillisecondPolls();
  for (const auto& [poll, bytes] : GetParam().arrivals)
    driver.arrivals[poll] = bytes;
  const std::uint64_t start = clock.NowMs();
  EXPECT_EQ(Synchronise(context, handle), GetParam().synchronised);
  EXPECT_GE(ElapsedMs(start), GetParam().min_ms);
  EXPECT_LT(ElapsedMs(start), GetParam().max_ms);
  EXPECT_EQ(CountWritten(kSyncConfirmByte), 1);
  EXPECT_EQ(driver.WrittenBytes().back(), kSyncConfirmByte);
  if (GetParam().probes >= 0) {
    EXPECT_EQ(CountWritten(kSyncProbeByte), GetParam().probes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    , HandshakeTimingTest,
    ::testing::Values(
        HandshakeCase{
            "ProbeEndsAtTheFirstReadEndingInFF", {{5, {0x00, 0xFF}}, {7, {0xFA}}}, true, 8, 9, 6},
        HandshakeCase{"ReadEndingInFADuringTheProbeDoesNotEndIt",
                      {{2, {0xFF, 0xFA}}, {10, {0xFF}}, {11, {0xFA}}},
                      true,
                      12,
                      13,
                      11},
        // The probe phase times out after 3 s, then the confirm phase succeeds.
        HandshakeCase{"NoProbeEchoThenConfirm", {{3100, {0xFA}}}, true, 3000, 3200},
        // A probe phase that timed out on a read ending in 0xFA confirms at its first poll.
        HandshakeCase{"ProbeTimedOutOnFA", {{4, {0xFA}}}, true, 3000, 3003},
        // The confirm phase starts at 2 ms; poll 3001 ends at 3002 ms.
        HandshakeCase{
            "ConfirmArrivingLateIsRefused", {{1, {0xFF}}, {3001, {0xFA}}}, false, 3002, 3003}),
    [](const auto& row) { return std::string(row.param.name); });

// Bytes that came back tell a loader that answers wrongly from a wire on which nothing answers.
TEST_F(LoaderProtocolTest, Synchronise_ReportsBytesHeardThatWereNoEcho) {
  driver.arrivals[5] = {0x55};
  SyncReport report;
  EXPECT_FALSE(Synchronise(context, handle, &report));
  EXPECT_FALSE(report.probe_echoed);
  EXPECT_TRUE(report.heard_anything);
}

TEST_F(LoaderProtocolTest, Synchronise_AdapterTakingNothing_KeepsProbesWithinTheBuffer) {
  driver.write_limit = 0;  // every probe stays pending; the buffer fills and then drops bytes
  const std::uint64_t start = clock.NowMs();
  EXPECT_FALSE(Synchronise(context, handle));
  EXPECT_EQ(link.pending(), kLinkBufferSize);
  EXPECT_GE(ElapsedMs(start), 6000u);
}

TEST_F(LoaderProtocolTest, Synchronise_WindowClosed_StopsAtThatPumpWithoutFurtherCalls) {
  pump.on_pump = [](int pump_number) { return PumpReport{pump_number < 5, 0}; };
  EXPECT_FALSE(Synchronise(context, handle));
  EXPECT_TRUE(context.window_closed());
  EXPECT_EQ(driver.queue_queries, 5);
}

TEST_F(LoaderProtocolTest, WaitForAck_WrongByte_FailsAtOnceWithoutSkippingIt) {
  driver.arrivals[0] = {0x00, kAckByte};
  const std::uint64_t start = clock.NowMs();
  EXPECT_FALSE(WaitForAck(context, handle));
  EXPECT_EQ(ElapsedMs(start), 0u);
  EXPECT_EQ(driver.waiting, (Bytes{kAckByte}));  // read exactly one byte
}

TEST_F(LoaderProtocolTest, WaitForAck_FailedReadClaimingAByteOverAnEarlierAck_IsNoAcknowledgement) {
  driver.arrivals[0] = {kAckByte};
  ASSERT_TRUE(WaitForAck(context, handle));  // the receive buffer now starts with 0x02
  driver.arrivals[1] = {0x55};
  driver.statuses["QB_Read"] = 4;
  driver.failed_read_claims = 1;
  const std::uint64_t start = clock.NowMs();
  EXPECT_FALSE(WaitForAck(context, handle));
  EXPECT_GE(ElapsedMs(start), 3000u);
}

TEST_F(LoaderProtocolTest, WaitForAck_AfterAFailedWriteThatClaimedItsBytes_FailsInItsTime) {
  driver.statuses["QB_Write"] = 4;
  driver.failed_write_claims_all = true;
  // The claim is believed: nothing stays pending to be sent in front of a later command.
  EXPECT_EQ(SendWriteAddress(context, handle, 0x0100), kStatusOk);
  EXPECT_EQ(link.pending(), 0u);
  const std::uint64_t start = clock.NowMs();
  EXPECT_FALSE(WaitForAck(context, handle));
  EXPECT_GE(ElapsedMs(start), 3000u);
  EXPECT_LT(ElapsedMs(start), 3010u);
}

TEST_F(LoaderProtocolTest, WaitForBytes_EndsAtThePollThatFindsThemWithinThreeSeconds) {
  MillisecondPolls();
  driver.arrivals[2998] = Bytes(128, 0xA5);
  std::uint64_t start = clock.NowMs();
  EXPECT_TRUE(WaitForBytes(context, handle, 128));
  EXPECT_EQ(ElapsedMs(start), 2999u);

  // Arriving in the poll that reaches 3 s is too late, as for an acknowledgement.
  driver.waiting.clear();
  driver.queue_queries = 0;
  driver.arrivals.clear();
  driver.arrivals[2999] = Bytes(128, 0xA5);
  start = clock.NowMs();
  EXPECT_FALSE(WaitForBytes(context, handle, 128));
  EXPECT_EQ(ElapsedMs(start), 3000u);
}

TEST_F(LoaderProtocolTest, WaitForBytes_FewerThanAsked_FailsAtThreeSecondsWithoutPumping) {
  MillisecondPolls();
  driver.arrivals[0] = Bytes(127, 0xA5);
  const std::uint64_t start = clock.NowMs();
  EXPECT_FALSE(WaitForBytes(context, handle, 128));
  EXPECT_EQ(ElapsedMs(start), 3000u);
  EXPECT_EQ(pump.pumps, 0);
  EXPECT_EQ(driver.read_requests.size(), 0u);
}

// The waits that pump, against pumps that return at once, hold or are slow. Without a hold a reply
// counts as in time up to the wait's poll 2998, the last that ends before 3 s. A hold: the operator
// holds the window (drags it, opens its system menu) in the pump after the wait's poll 1000, 1 s
// into it, and the pump reports 3.5 s held; a reply then counts as in time up to its poll 2999, 3 s
// of the wait's own polling, the poll after the hold not counted; a pump that reports more held
// than it took is taken for the time it took. A slow pump takes its time without any modal loop (a
// busy desktop, a hook of another program, a flood of repaints), and all of that time is the wait's
// own: against a silent chip each wait gives up within one slow pump and one poll of its 3 s.
// `accepted`: the wait took the reply (the probe phase: it ended on that echo).
enum class PumpingWait { kAcknowledgement, kProbe, kConfirm };
constexpr int kSilent = -1;
struct PumpingCase {
  PumpingWait wait;
  int reply_poll;  // the wait's poll, from 0, that finds the reply waiting, or kSilent
  bool accepted;
  bool held;                  // the pump after poll 1000 holds the window for 3.5 s
  int slow_every = 0;         // every this many pumps is slow (0: none)
  std::uint32_t slow_ms = 0;  // and takes this long
  bool overstated = false;    // the held pump reports 100 s held, more than it took
};

std::string PumpingCaseName(const ::testing::TestParamInfo<PumpingCase>& row) {
  static const char* const kWaits[] = {"Acknowledgement", "Probe", "Confirm"};
  const PumpingCase& c = row.param;
  std::string name = kWaits[static_cast<int>(c.wait)];
  if (c.held) name += c.overstated ? "HeldOverstated" : "Held";
  if (c.slow_every > 0) {
    name += "Every" + std::to_string(c.slow_every) + "thPump" + std::to_string(c.slow_ms) + "ms";
  }
  return name + (c.reply_poll == kSilent ? "Silent" : "ReplyAtPoll" + std::to_string(c.reply_poll));
}

class PumpingWaitTest : public LoaderProtocolTest,
                        public ::testing::WithParamInterface<PumpingCase> {};

TEST_P(PumpingWaitTest, EndsOnItsOwnTimeWhichLeavesOutOnlyHolds) {
  constexpr int kHeldAfterPoll = 1000;
  constexpr std::uint64_t kHoldUs = 3'500'000;
  // Closes the window rather than hang, should a wait never end.
  constexpr int kPumpLimit = 20000;
  const PumpingCase& c = GetParam();
  MillisecondPolls();
  // The confirm phase's polls follow the one poll of a probe phase answered at once.
  const int first_query = c.wait == PumpingWait::kConfirm ? 1 : 0;
  if (c.wait == PumpingWait::kConfirm) driver.arrivals[0] = {kSyncProbeByte};
  pump.on_pump = [&](int pump_number) {
    PumpReport report{pump_number < kPumpLimit, 0};
    if (c.held && pump_number == first_query + kHeldAfterPoll + 1) {
      clock.AdvanceUs(kHoldUs);
      report.held_us = c.overstated ? 100'000'000 : kHoldUs;
    } else if (c.slow_every > 0 && pump_number % c.slow_every == 0) {
      clock.AdvanceUs(c.slow_ms * 1000ull);
    }
    return report;
  };
  const int reply_query = first_query + c.reply_poll;
  const std::uint64_t start = clock.NowMs();
  switch (c.wait) {
    case PumpingWait::kAcknowledgement:
      if (c.reply_poll != kSilent) driver.arrivals[reply_query] = {kAckByte};
      EXPECT_EQ(WaitForAck(context, handle), c.accepted);
      break;
    case PumpingWait::kProbe:
      if (c.reply_poll != kSilent) driver.arrivals[reply_query] = {kSyncProbeByte};
      Synchronise(context, handle);
      EXPECT_EQ(CountWritten(kSyncProbeByte) == reply_query + 1, c.accepted);
      break;
    case PumpingWait::kConfirm:
      if (c.reply_poll != kSilent) driver.arrivals[reply_query] = {kSyncConfirmByte};
      EXPECT_EQ(Synchronise(context, handle), c.accepted);
      break;
  }
  EXPECT_FALSE(context.window_closed()) << "the wait did not end";
  if (c.reply_poll == kSilent) {
    // Each phase gives up within one slow pump and one poll of its 3 s: the handshake's two one
    // after the other, the confirm phase after the probe phase's one poll and pump.
    const std::uint64_t windows = c.wait == PumpingWait::kProbe ? 2 : 1;
    const std::uint64_t poll_and_pump_ms = 1 + c.slow_ms;
    EXPECT_GE(ElapsedMs(start), windows * 3000);
    EXPECT_LT(ElapsedMs(start),
              windows * (3000 + poll_and_pump_ms) + first_query * poll_and_pump_ms);
  }
}

// Not held: the last poll in time and the first too late. Held: arriving during the hold, one
// poll after it, at the last poll in time, and too late; the probe phase ends on an echo in the
// poll that times it out, so its first late echo is one poll on. For each wait against a silent
// chip: no slow pump; every pump 50, 60 or 200 ms, every second or every tenth pump 50 ms.
std::vector<PumpingCase> PumpingCases() {
  std::vector<PumpingCase> cases;
  for (const PumpingWait wait :
       {PumpingWait::kAcknowledgement, PumpingWait::kProbe, PumpingWait::kConfirm}) {
    const int last_in_time = wait == PumpingWait::kProbe ? 3000 : 2999;
    cases.push_back({wait, last_in_time - 1, true, false});
    cases.push_back({wait, last_in_time, false, false});
    for (const bool overstated : {false, true}) {
      for (const int poll : {1001, 1002, last_in_time})
        cases.push_back({wait, poll, true, true, 0, 0, overstated});
      cases.push_back({wait, last_in_time + 1, false, true, 0, 0, overstated});
    }
    for (const auto& [every, ms] :
         {std::pair{0, 0u}, {1, 50u}, {1, 60u}, {1, 200u}, {2, 50u}, {10, 50u}})
      cases.push_back({wait, kSilent, false, false, every, ms});
  }
  return cases;
}
INSTANTIATE_TEST_SUITE_P(, PumpingWaitTest, ::testing::ValuesIn(PumpingCases()), PumpingCaseName);

}  // namespace
}  // namespace trv
