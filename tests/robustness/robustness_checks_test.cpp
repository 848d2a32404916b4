// The soak and the fuzzer only prove something if their checks catch what they claim to. Each
// check here is handed a crafted bad outcome (or call sequence, or listing) and must report it,
// and the matching good one must pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "call_timeline.h"
#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "device_listing.h"
#include "fuzzed_driver.h"
#include "run_outcome.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"

namespace trv::robustness {
namespace {

using Kind = CallTimeline::Kind;
using Strings = std::vector<std::string>;

bool Mentions(const Strings& broken, const std::string& part) {
  for (const std::string& what : broken) {
    if (what.find(part) != std::string::npos) return true;
  }
  return false;
}

std::vector<std::uint8_t> Image() {
  std::vector<std::uint8_t> image(kRomImageSize);
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<std::uint8_t>(i * 31 + 7);
  return image;
}

// A run that wrote the image over an erased chip and said so.
RunOutcome CompletedRun() {
  RunOutcome outcome;
  outcome.messages = {texts::kVerifiedMessage};
  outcome.programming = Image();
  outcome.verification = Image();
  outcome.flash_before.assign(kRomImageSize, 0xFF);
  outcome.flash_after = Image();
  return outcome;
}

TEST(RunOutcomeChecks, CompletedRunOverTheImage_NothingBroken) {
  EXPECT_EQ(CheckOutcome(CompletedRun()), Strings{});
}

TEST(RunOutcomeChecks, CompletionOverCorruptedFlash_Reported) {
  RunOutcome outcome = CompletedRun();
  outcome.flash_after[100] = 0x70;
  const Strings broken = CheckOutcome(outcome);
  EXPECT_TRUE(Mentions(broken, "completion reported but flash byte 100 is 0x70")) << broken[0];
  EXPECT_TRUE(Mentions(broken, "flash byte 100 became 0x70, neither its old value 0xFF"));
}

TEST(RunOutcomeChecks, CompletionAfterPassesThatStoppedHalfway_Reported) {
  // The flash already held the image, so only the passes' reads give the short pass away.
  RunOutcome outcome = CompletedRun();
  outcome.flash_before = Image();
  outcome.programming.resize(32768);
  outcome.verification.resize(32768);
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "programming pass read only 32768 bytes"));
}

TEST(RunOutcomeChecks, CompletionOverFileChangedBetweenPasses_Reported) {
  RunOutcome outcome = CompletedRun();
  outcome.verification[5] ^= 0x5A;
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "file changed between the passes at byte 5"));
}

TEST(RunOutcomeChecks, CompletionAfterAFailureMessage_Reported) {
  RunOutcome outcome = CompletedRun();
  outcome.messages.insert(outcome.messages.begin(), texts::kAckFailedMessage);
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "completion reported after the message"));
}

TEST(RunOutcomeChecks, FlashByteFromNowhere_ReportedWithoutCompletion) {
  const std::vector<std::uint8_t> image = Image();
  RunOutcome outcome;
  outcome.messages = {texts::kAckFailedMessage};
  outcome.programming.assign(image.begin(), image.begin() + 256);
  outcome.flash_before.assign(kRomImageSize, 0xFF);
  outcome.flash_after = outcome.flash_before;
  outcome.flash_after[7] = image[7];  // written from the file: fine
  EXPECT_EQ(CheckOutcome(outcome), Strings{});
  outcome.flash_after[0] = 0x70;  // neither old nor the file's
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "flash byte 0 became 0x70"));
}

TEST(RunOutcomeChecks, SilentFailure_ReportedUnlessTheWindowClosed) {
  RunOutcome outcome;
  outcome.flash_before.assign(kRomImageSize, 0xFF);
  outcome.flash_after = outcome.flash_before;
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "without completing and without a message"));
  outcome.messages = {std::string(texts::kCloseFailedMessage) + "QB USB Serial Adapter"};
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "without completing and without a message"));
  outcome.messages.clear();
  outcome.window_closed = true;
  EXPECT_EQ(CheckOutcome(outcome), Strings{});
}

TEST(RunOutcomeChecks, FileLeftOpen_Reported) {
  RunOutcome outcome = CompletedRun();
  outcome.open_files_before = 5;
  outcome.open_files_after = 6;
  EXPECT_TRUE(Mentions(CheckOutcome(outcome), "left 1 more files open"));
}

// Feeds calls that take no time at the given programmer times, in milliseconds.
struct Timeline {
  CallTimeline timeline;
  void Call(Kind kind, double at_ms, std::uint32_t count = 0) {
    const auto at_us = static_cast<std::uint64_t>(at_ms * 1000);
    timeline.OnCall(kind, count, at_us, at_us);
  }
  // Polls every 0.5 ms from `from_ms` up to `to_ms`.
  void Polls(double from_ms, double to_ms) {
    for (double t = from_ms; t <= to_ms; t += 0.5)
      Call(Kind::kQueueStatus, t);
  }
  Strings Finish(double end_ms) {
    return timeline.Finish(static_cast<std::uint64_t>(end_ms * 1000));
  }
};

TEST(CallTimelineChecks, AcknowledgementWait_BoundedAtThreeSeconds) {
  Timeline within;
  within.Call(Kind::kWrite, 0, 4);
  within.Polls(0, 2999);
  within.Call(Kind::kWrite, 2999, 6);
  EXPECT_EQ(within.Finish(2999), Strings{});

  Timeline beyond;
  beyond.Call(Kind::kWrite, 0, 4);
  beyond.Polls(0, 4000);
  beyond.Call(Kind::kWrite, 4000, 6);
  EXPECT_TRUE(Mentions(beyond.Finish(4000), "an acknowledgement wait was still polling 3002"));
}

TEST(CallTimelineChecks, ReadBackWait_CountedFromTheAcknowledgement) {
  Timeline within;
  within.Call(Kind::kWrite, 0, 4);
  within.Polls(0, 1000);
  within.Call(Kind::kRead, 1000, 1);
  within.Polls(1000, 3999);  // 5 s into the block, but under 3 s since the acknowledgement
  within.Call(Kind::kRead, 3999, 128);
  EXPECT_EQ(within.Finish(3999), Strings{});

  Timeline beyond;
  beyond.Call(Kind::kWrite, 0, 4);
  beyond.Call(Kind::kRead, 1, 1);
  beyond.Polls(1, 5000);
  EXPECT_TRUE(Mentions(beyond.Finish(5000), "a read-back wait was still polling"));
}

TEST(CallTimelineChecks, Handshake_EachPhaseBoundedOnItsOwn) {
  const auto handshake = [](double probe_until_ms, double confirm_for_ms) {
    Timeline t;
    t.Call(Kind::kSetTimeouts, 0);
    for (double at = 0; at <= probe_until_ms; at += 0.5) {
      t.Call(Kind::kWrite, at, 1);
      t.Call(Kind::kQueueStatus, at);
    }
    t.Call(Kind::kWrite, probe_until_ms, 1);  // the confirm byte
    t.Polls(probe_until_ms, probe_until_ms + confirm_for_ms);
    return t.Finish(probe_until_ms + confirm_for_ms);
  };
  EXPECT_EQ(handshake(2999, 2999), Strings{});
  EXPECT_TRUE(Mentions(handshake(3500, 100), "the handshake's probe phase was still polling"));
  EXPECT_TRUE(Mentions(handshake(100, 3500), "the handshake's confirm phase was still polling"));
}

TEST(CallTimelineChecks, TimeInsideSlowDriverCalls_NotCountedAgainstTheProgrammer) {
  CallTimeline timeline;
  timeline.OnCall(Kind::kWrite, 4, 0, 0);
  // Five polls of a second each inside the driver: 5 s have passed, none of it the programmer's.
  for (std::uint64_t s = 0; s < 5; ++s)
    timeline.OnCall(Kind::kQueueStatus, 0, s * 1'000'000, (s + 1) * 1'000'000);
  EXPECT_EQ(timeline.Finish(5'000'000), Strings{});
}

TEST(CallTimelineChecks, HeldWindow_NotCountedAgainstTheProgrammerButASlowPumpIs) {
  // An acknowledgement wait polls for 1 s, a pump holds the window or is slow for 4 s, and the
  // wait polls on.
  const auto wait = [](bool held, double polls_after_pump_ms) {
    Timeline t;
    t.Call(Kind::kWrite, 0, 4);
    t.Polls(0, 1000);
    if (held) {
      t.timeline.OnWindowHeld(1'000'000, 5'000'000);
    } else {
      t.timeline.OnWindowBusy(1'000'000, 5'000'000);
    }
    t.Polls(5000, 5000 + polls_after_pump_ms);
    return t.Finish(5000 + polls_after_pump_ms);
  };
  EXPECT_EQ(wait(true, 1999), Strings{});
  EXPECT_TRUE(Mentions(wait(true, 2500), "an acknowledgement wait was still polling 3004"));
  // The slow pump is the wait's own time, though not a pause of the programmer's.
  EXPECT_EQ(wait(false, 0), Strings{"an acknowledgement wait was still polling 5000.0 ms after it "
                                    "began (bound 3000.0 ms)"});
}

TEST(CallTimelineChecks, PauseBetweenCalls_BoundedByTheLongestSettlingTime) {
  Timeline settled;
  settled.Call(Kind::kWrite, 0, 6);
  settled.Call(Kind::kOther, 100);
  EXPECT_EQ(settled.Finish(100), Strings{});

  Timeline stalled;
  stalled.Call(Kind::kOther, 0);
  stalled.Call(Kind::kOther, 150);
  EXPECT_TRUE(Mentions(stalled.Finish(150), "went 150.0 ms without a driver call"));
}

// A fuzzed driver over the simulator, with an adapter open. Its decisions: the gap in calls to
// the first event (QB_OpenEx is call 0), then for each event the gap to the next one, the event
// byte and its details.
class FuzzedDriverChecks : public ::testing::Test {
 protected:
  void Open(std::vector<std::uint8_t> events) {
    if (driver_) adapter_.QB_Close(handle_);  // a second case in the same test
    events_ = std::move(events);
    decisions_ = std::make_unique<Decisions>(events_.data(), events_.size());
    driver_ = std::make_unique<FuzzedDriver>(adapter_, clock_, *decisions_);
    ASSERT_EQ(driver_->QB_OpenEx(sim::kDefaultAdapterDescription, kOpenByDescription, &handle_),
              kStatusOk);
  }
  StatusResult Write(std::vector<std::uint8_t> bytes, std::uint32_t* written) {
    return driver_->QB_Write(handle_, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                             written);
  }
  // Polls until an acknowledgement wait would have run out.
  void WaitOut() {
    std::uint32_t waiting = 0;
    for (int poll = 0; poll < 6000; ++poll) {
      clock_.AdvanceUs(500);
      driver_->QB_GetQueueStatus(handle_, &waiting);
    }
  }
  Strings Findings() { return driver_->Finish(clock_.NowUs()); }

  sim::VirtualClock clock_;
  sim::SimulatedAdapter adapter_{clock_, sim::SimConfig{}};
  std::vector<std::uint8_t> events_;
  std::unique_ptr<Decisions> decisions_;
  std::unique_ptr<FuzzedDriver> driver_;
  AdapterHandle handle_ = 0;
};

// Call 1 writes two of its bytes, and says so.
const std::vector<std::uint8_t> kShortWrite = {1, 0, 0xFF, 0xFF, 0x80, 0, 0, 0, 2};
// Call 1 fails with status 4, yet writes every byte and says so.
const std::vector<std::uint8_t> kFailingWriteThatWroteAll = {1, 0, 0xFF, 0xFF, 0x43, 0x01};

TEST_F(FuzzedDriverChecks, BytesAShortWriteLeft_MustLeadTheNextWrite) {
  Open(kShortWrite);
  std::uint32_t written = 0;
  Write({0x03, 0x00, 0x00, 0x80}, &written);
  EXPECT_EQ(written, 2u);
  WaitOut();
  Write({0x00, 0x80, 0x01, 0x70, 0x17, 0x1A, 0x00, 0x00}, &written);
  EXPECT_EQ(Findings(), Strings{});

  Open(kShortWrite);
  Write({0x03, 0x00, 0x00, 0x80}, &written);
  WaitOut();
  Write({0x01, 0x70, 0x17, 0x1A, 0x00, 0x00}, &written);  // as if all four had gone out
  EXPECT_TRUE(Mentions(Findings(), "did not begin with the bytes the adapter had not taken"));
}

TEST_F(FuzzedDriverChecks, BytesAFailedWriteDidWrite_CountAsTaken) {
  Open(kFailingWriteThatWroteAll);
  std::uint32_t written = 0;
  EXPECT_NE(Write({0x03, 0x00, 0x00, 0x80}, &written), kStatusOk);
  EXPECT_EQ(written, 4u);
  WaitOut();
  Write({0x01, 0x70, 0x17, 0x1A, 0x00, 0x00}, &written);
  EXPECT_EQ(Findings(), Strings{});
}

TEST_F(FuzzedDriverChecks, CommandWithoutAReplyToTheOneBefore_Reported) {
  Open({});
  std::uint32_t written = 0;
  Write({0x03, 0x00, 0x00, 0x80}, &written);
  Write(std::vector<std::uint8_t>(128, 0x11), &written);  // as if a failed read had been an ack
  EXPECT_TRUE(Mentions(Findings(), "a command went out with no reply to the one before"));
}

TEST_F(FuzzedDriverChecks, QueueQueryThatFailed_CountsAsNothingWaiting) {
  // Call 1, the queue query, fails with status 4 and still writes a count of 0x01010101.
  Open({1, 0, 0xFF, 0xFF, 0x43, 1, 1, 1, 1});
  std::uint32_t waiting = 0;
  EXPECT_NE(driver_->QB_GetQueueStatus(handle_, &waiting), kStatusOk);
  EXPECT_NE(waiting, 0u);
  std::uint8_t buffer[4];
  std::uint32_t read = 0;
  driver_->QB_Read(handle_, buffer, 1, &read);
  EXPECT_TRUE(Mentions(Findings(), "asked for more bytes than were reported waiting"));
}

// The lister may take at most the records it asked for and the driver reported, and none at all
// after a failed record call.
struct ListedEntriesCase {
  const char* name;
  StatusResult records_status;
  std::uint32_t asked;
  std::uint32_t reported;
  std::size_t listed;
  const char* finding;  // null: none
};

class ListedEntriesChecks : public ::testing::TestWithParam<ListedEntriesCase> {};

TEST_P(ListedEntriesChecks, BeyondWhatWasDue_Reported) {
  const ListedEntriesCase& c = GetParam();
  ListingFacts facts;
  facts.count_calls = 1;
  facts.count = c.asked;
  facts.record_calls = 1;
  facts.asked = c.asked;
  facts.records_status = c.records_status;
  facts.reported = c.reported;
  facts.descriptions = {"a", "b", "c"};
  AdapterList list;
  list.descriptions.assign(facts.descriptions.begin(), facts.descriptions.begin() + c.listed);
  const Strings findings = CheckListing(facts, &list, "", 0);
  if (c.finding == nullptr) {
    EXPECT_EQ(findings, Strings{});
  } else {
    EXPECT_TRUE(Mentions(findings, c.finding));
  }
}

INSTANTIATE_TEST_SUITE_P(
    , ListedEntriesChecks,
    ::testing::Values(ListedEntriesCase{"TheRoomAskedFor", kStatusOk, 2, 3, 2, nullptr},
                      ListedEntriesCase{"BeyondTheRoomAskedFor", kStatusOk, 2, 3, 3,
                                        "3 entries listed where 2 were due"},
                      ListedEntriesCase{"AfterAFailedRecordCall", 4, 1, 1, 1,
                                        "1 entries listed where 0 were due"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DeviceListingChecks, BusyDriverAnsweredWithoutBoundOrAsNoDevices_Reported) {
  ListingFacts facts;
  facts.count_status = kStatusListNotReady;
  facts.call_us = 10;
  AdapterList list;
  EXPECT_EQ(CheckListing(facts, &list, "", 2'000'010), Strings{});
  EXPECT_TRUE(Mentions(CheckListing(facts, &list, "", 2'500'000), "the enumeration took 2500 ms"));
  list.none_attached = true;
  EXPECT_TRUE(Mentions(CheckListing(facts, &list, "", 0), "no devices reported after status 19"));
}

TEST(DeviceListingChecks, ListerThatThrew_Reported) {
  ListingFacts facts;
  facts.count = 0xFFFFFFFFu;
  EXPECT_TRUE(Mentions(CheckListing(facts, nullptr, "std::bad_alloc", 0), "threw: std::bad_alloc"));
}

}  // namespace
}  // namespace trv::robustness
