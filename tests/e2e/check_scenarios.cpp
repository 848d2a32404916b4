// The adapter and chip check, TRV2KCheck.exe as built, beside the stand-in and worked through its
// window: what only the real program, library and window show. Which line each wiring and fault
// gives, word for word, is the unit tests'; here the lines come out of the real program into its
// window, the round trip it measures under Wine is the stand-in's latency and its estimate the
// programmer's time there, and the stand-in's flash and log show what it read and never wrote.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/check_texts.h"
#include "common/operator_texts.h"
#include "programmer.h"
#include "remote_operator/check_process.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "tests/support/text_places.h"
#include "time_limits.h"
#include "timed_program_run.h"

namespace e2e {
using namespace trv::remote;

namespace {

namespace t = trv::check_texts;
using trv::CheckId;
using trv::Outcome;

// A whole check (with its 3 s of looking for a loop and a silent chip's 6 s of handshake), or a
// read of the whole flash, on a loaded machine.
constexpr DWORD kCheckTimeoutMs = 60000;
// The round trip reported may differ from the stand-in's latency by this share of it, or by the
// slack where that is more; the estimate from the programmer's time by its share of that.
constexpr double kRoundTripShare = 0.20;
constexpr double kRoundTripSlackMs = 1.0;
constexpr double kEstimateShare = 0.15;

// The values in the places of the report's line "<check>: <outcome>. <text>", `text` with places
// %1, %2 that any text fills; none where the report has no such line.
std::optional<std::vector<std::string>> FindLine(const std::wstring& report, CheckId check,
                                                 Outcome outcome, const std::string& text) {
  const std::regex line(
      trv::test::PlacesPattern(trv::LineText({check, outcome, text, ""}), "(.+)"));
  std::istringstream lines(Narrow(report));
  std::smatch match;
  for (std::string each; std::getline(lines, each);) {
    each.erase(each.find_last_not_of('\r') + 1);
    if (std::regex_match(each, match, line)) {
      return std::vector<std::string>(match.begin() + 1, match.end());
    }
  }
  return std::nullopt;
}

void ExpectLine(const std::wstring& report, CheckId id, Outcome outcome, const std::string& text) {
  EXPECT_TRUE(FindLine(report, id, outcome, text))
      << "no line " << trv::LineText({id, outcome, text, ""}) << " in the report:\n"
      << Narrow(report);
}

// The scenarios of a group that share one check, started in the group's folder with the stand-in's
// settings the group gives and a fault file; each begins with no fault and nothing left over.
template <typename Group>
class SharedCheck : public ::testing::Test {
 protected:
  static void Start(const std::string& group, const EnvironmentOverrides& settings) {
    folder = GroupFolder(group);
    EnvironmentOverrides environment = GroupStandIn(folder, settings);
    environment.emplace_back(L"QBSIM_FAULTS_FILE", Path(L"faults.txt"));
    SetStandInFaults(Path(L"faults.txt"), "");
    check = std::make_unique<CheckProcess>(CheckPath(), folder, environment);
    check->WaitForCheckWindow(kStartTimeoutMs);
  }
  static void TearDownTestSuite() { check.reset(); }
  void SetUp() override {
    ASSERT_TRUE(check && check->Running()) << "the check of this group is not running";
    CloseLeftOverBoxes(*check);
    SetStandInFaults(Path(L"faults.txt"), "");
  }

  static std::wstring Path(const std::wstring& name) { return JoinPath(folder, name); }
  // Presses "Check" on the stand-in with `faults`, read as the check opens the adapter; the report.
  static std::wstring Check(const std::string& faults = "") {
    SetStandInFaults(Path(L"faults.txt"), faults);
    check->Click(check->controls().CheckButton, kCheckTimeoutMs);
    return check->Report();
  }
  static inline std::wstring folder;
  static inline std::unique_ptr<CheckProcess> check;
};

// On a loop at the stand-in's `latency_ms`: the round trip reported is that latency, and the
// estimate the time the programmer then takes, in the fastest of `runs` runs (a loaded machine
// only ever adds time).
void ExpectRoundTripAndEstimate(CheckProcess& check, const std::string& group, unsigned latency_ms,
                                int runs) {
  check.Click(check.controls().CheckButton, kCheckTimeoutMs);
  const std::wstring report = check.Report();
  const auto loop = FindLine(report, CheckId::kLoopback, Outcome::kPassed, t::kLoopIntactMessage);
  const auto estimate = FindLine(report, CheckId::kRunTime, Outcome::kPassed, t::kRunTimeMessage);
  ASSERT_TRUE(loop && estimate) << Narrow(report);
  const double round_trip_ms = std::stod(loop->front());
  EXPECT_NEAR(round_trip_ms, latency_ms, std::max(kRoundTripShare * latency_ms, kRoundTripSlackMs));

  const std::wstring latency = std::to_wstring(latency_ms);
  Programmer app =
      StartProgrammer(group + "/programmer", {{L"QBSIM_LOG", L""}, {L"QBSIM_LATENCY_MS", latency}});
  app.ChooseAdapterAndImage(25);
  double fastest_s = std::numeric_limits<double>::infinity();
  for (int run = 0; run < runs; ++run) {
    const ExeRun timed = TimeExeRun(app, L"");
    ASSERT_TRUE(timed.complete) << "a run of the programmer did not complete";
    fastest_s = std::min(fastest_s, timed.Total());
    WaitUntil(kCloseTimeoutMs, [&] { return app->InputsEnabled(); });
  }
  EXPECT_TRUE(app->CloseWindow(kCloseTimeoutMs));
  const double estimate_s = std::stod(estimate->front());
  std::printf(
      "at %u ms latency the check reports a round trip of %.1f ms and estimates a run at "
      "%.1f s; TRV2KFlash.exe took %.2f s (the fastest of %d)\n",
      latency_ms, round_trip_ms, estimate_s, fastest_s, runs);
  EXPECT_NEAR(estimate_s, fastest_s, kEstimateShare * fastest_s);
}

class CheckLoopback : public SharedCheck<CheckLoopback> {
 protected:
  static void SetUpTestSuite() {
    Start("check_loopback", {{L"QBSIM_WIRING", L"loopback"}, {L"QBSIM_LOG", L""}});
    check->ChooseDevice(0);
  }
};

TEST_F(CheckLoopback, RoundTripIsTheLatencyAndTheEstimateTheProgrammersTime) {
  ExpectRoundTripAndEstimate(*check, "check_loopback", kStandInLatencyMs, 3);
}

TEST_F(CheckLoopback, ALossyLoopSaysBytesWereLost) {
  ExpectLine(Check("loop_loses=100"), CheckId::kLoopback, Outcome::kFailed,
             t::kLoopLost115200Message);
}

class CheckSlowAdapter : public SharedCheck<CheckSlowAdapter> {
 protected:
  static constexpr unsigned kLatencyMs = 16;
  static void SetUpTestSuite() {
    Start("check_slow_adapter", {{L"QBSIM_WIRING", L"loopback"},
                                 {L"QBSIM_LATENCY_MS", std::to_wstring(kLatencyMs)},
                                 {L"QBSIM_LOG", L""}});
    check->ChooseDevice(0);
  }
};

TEST_F(CheckSlowAdapter, RoundTripIsTheLatencyAndTheEstimateTheProgrammersTime) {
  ExpectRoundTripAndEstimate(*check, "check_slow_adapter", kLatencyMs, 1);
}

class CheckChip : public SharedCheck<CheckChip> {
 protected:
  static void SetUpTestSuite() {
    Start("check_chip", {});
    check->ChooseDevice(0);
  }
};

// First in its group, so that the log holds this check alone.
TEST_F(CheckChip, ReadsOneBlockWritesNothingAndRestartsTheChip) {
  ExpectLine(Check(), CheckId::kChip, Outcome::kPassed, t::kChipAnsweredMessage);
  const std::vector<std::string> log = ReadLogLines(Path(L"qbsim.log"));
  EXPECT_EQ(CountLines(log, "chip write-address"), 0u);
  EXPECT_EQ(CountLines(log, "chip read-address "), 1u);
  // After the read, the chip held in reset and released into normal operation.
  std::vector<std::string> masks;
  const size_t read = LastLine(log, "chip read-address ");
  for (size_t i = read == std::string::npos ? log.size() : read; i < log.size(); ++i) {
    if (log[i].rfind("QB_SetBitMode ", 0) == 0) {
      masks.push_back(log[i].substr(log[i].find(' ', 14) + 1, 4));
    }
  }
  EXPECT_EQ(masks, (std::vector<std::string>{"0xc4", "0xcc"}));
}

TEST_F(CheckChip, ARefusedRateSaysWhich) {
  ExpectLine(Check("reject_baud=1000000"), CheckId::kSerialSetUp, Outcome::kFailed,
             t::kRefused1000000Message);
}

TEST_F(CheckChip, ASilentChipSaysNothingAnswered) {
  ExpectLine(Check("silent_chip"), CheckId::kChip, Outcome::kFailed, t::kNothingAnsweredMessage);
}

TEST_F(CheckChip, SavedFlashIsTheChipsFlash) {
  const std::vector<unsigned char> flash = RomImage(kRomSize, 31);
  ASSERT_TRUE(WriteWholeFile(Path(L"flash.bin"), flash));
  DeleteFileW(Path(L"saved.ROM").c_str());
  check->ClickAndChooseFile(check->controls().SaveFlashButton, Path(L"saved.ROM"), kCheckTimeoutMs);
  std::vector<unsigned char> saved;
  EXPECT_TRUE(ReadWholeFile(Path(L"saved.ROM"), saved) && saved == flash)
      << "the file saved is not the stand-in's flash; the report:\n"
      << Narrow(check->Report());
}

TEST_F(CheckChip, CompareFindsAChangedByteAtItsAddress) {
  std::vector<unsigned char> file = RomImage(kRomSize, 32);
  ASSERT_TRUE(WriteWholeFile(Path(L"flash.bin"), file));
  file[0x1234] ^= 0x10;
  ASSERT_TRUE(WriteWholeFile(Path(L"changed.ROM"), file));
  check->ClickAndChooseFile(check->controls().CompareButton, Path(L"changed.ROM"), kCheckTimeoutMs);
  ExpectLine(check->Report(), CheckId::kCompare, Outcome::kFailed,
             trv::texts::FilledIn(t::kFlashDiffersMessage, {"4661", "1"}));
}

// Last in its group: the adapter stays unplugged.
TEST_F(CheckChip, AnUnplugDuringAReadSaysTheAdapterStoppedAnswering) {
  SetStandInFaults(Path(L"faults.txt"), "unplug_at_block=100");
  check->ClickAndChooseFile(check->controls().SaveFlashButton, Path(L"unplugged.ROM"),
                            kCheckTimeoutMs);
  ExpectLine(check->Report(), CheckId::kFlashRead, Outcome::kFailed,
             trv::texts::FilledIn(t::kAdapterGoneMessage, {"4"}));
}

class CheckNoAdapter : public SharedCheck<CheckNoAdapter> {
 protected:
  static void SetUpTestSuite() {
    Start("check_no_adapter", {{L"QBSIM_ADAPTERS", L""}, {L"QBSIM_LOG", L""}});
  }
};

TEST_F(CheckNoAdapter, SaysNoAdapterIsListed) {
  ExpectLine(Check(), CheckId::kAdapter, Outcome::kFailed, t::kNoAdapterListedMessage);
}

}  // namespace
}  // namespace e2e
