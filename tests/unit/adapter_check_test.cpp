// The adapter and chip check and the reads of the flash, on the virtual clock against the
// simulated adapter wired to a chip (which runs its loader from an earlier run when the check
// starts), to a loop or to nothing: the report's lines for each wiring and fault, and on every way
// out the rules a programming run keeps: no write-address command, the chip back in normal
// operation, the adapter closed once, a closed window obeyed.
#include "check/adapter_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/check_texts.h"
#include "check/flash_read.h"
#include "check/run_time_model.h"
#include "common/memory_rom_file_system.h"
#include "common/operator_texts.h"
#include "programming/programming_run.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"
#include "tests/support/hooked_driver.h"
#include "tests/support/text_places.h"

namespace trv {

bool operator==(const CheckLine& a, const CheckLine& b) {
  return a.check == b.check && a.outcome == b.outcome && a.text == b.text && a.advice == b.advice;
}
void PrintTo(const CheckLine& line, std::ostream* out) {
  *out << LineText(line);
}

namespace {

namespace t = check_texts;
using sim::ChipCommandKind;

constexpr char kPath[] = "C:\\images\\saved.ROM";

// The check's window: it records the lines, and a test may close it at a pump.
class RecordingView final : public CheckView, public MessagePump {
 public:
  std::vector<CheckLine> lines;
  std::uint32_t progress = 0;
  std::function<bool()> keep_open;
  bool closed = false;

  void ShowLine(const CheckLine& line) override { lines.push_back(line); }
  void ShowReadProgress(std::uint32_t bytes) override { progress = bytes; }
  PumpReport PumpMessages() override {
    closed = closed || (keep_open && !keep_open());
    return {!closed, 0};
  }
};

struct BenchSetup {
  sim::SimConfig config;
  std::string description = sim::kDefaultAdapterDescription;
  bool library_usable = true;
};

// A bench: the simulated adapter and chip, and the check's tools on them.
struct Bench {
  explicit Bench(const BenchSetup& setup)
      : adapter(clock, setup.config),
        driver(adapter),
        library{setup.library_usable ? &driver : nullptr, "C:\\Windows\\QBLINK.DLL", "",
                "QBLINK.DLL was not found (Windows error 126).\r\nInstall it."},
        description(setup.description) {
    // The chip still runs its loader from an earlier run: only a chip held in reset ignores bytes.
    if (setup.config.adapters.empty()) adapter_listed = false;
    chip().SetControlLines(false, false);
    chip().SetControlLines(true, false);
  }

  sim::VirtualClock clock;
  sim::SimulatedAdapter adapter;
  test::HookedDriver driver;
  RecordingView window;
  DriverLibrary library;
  std::unique_ptr<ProgrammerState> state = std::make_unique<ProgrammerState>();
  AdapterSession& session = state->adapter;
  CheckTools tools{library, clock, window, window, session, state->buffers};
  std::string description;

  bool adapter_listed = true;
  sim::SimulatedChip spare_chip;  // stands in where no adapter is listed

  CheckResult Check() { return RunCheck(tools, description); }
  sim::SimulatedChip& chip() { return adapter_listed ? adapter.chip() : spare_chip; }

  // The rules of every way out: the chip never asked to write, and never took a byte for a
  // command before the loader's bring-up (it was held in reset); the adapter closed once if it was
  // opened,
  // and closed last; the window's close handler free to close adapters again.
  void ExpectSafeWayOut() {
    EXPECT_EQ(chip().Count(ChipCommandKind::kWriteAddress), 0u);
    if (!chip().commands().empty()) {
      EXPECT_EQ(chip().commands().front().kind, ChipCommandKind::kBaudChange);
    }
    const bool opened = !adapter.CallsNamed("QB_OpenEx").empty() &&
                        adapter.CallsNamed("QB_OpenEx").front().status == kStatusOk;
    EXPECT_EQ(adapter.CountCalls("QB_Close"), opened ? 1u : 0u);
    if (opened) {
      EXPECT_EQ(adapter.calls().back().name, "QB_Close");
    }
    EXPECT_FALSE(adapter.CalledOnClosedHandle());
    EXPECT_FALSE(session.open);
    EXPECT_FALSE(session.returning_to_normal);
  }
};

std::string Outcomes(const std::vector<CheckLine>& lines) {
  std::string letters;
  for (const CheckLine& line : lines)
    letters += "PFN"[static_cast<int>(line.outcome)];
  return letters;
}

// Whether `text` is `form` with each of its places %1, %2 filled in with something, none left.
bool Fits(const std::string& text, const std::string& form) {
  return std::regex_match(text, std::regex(test::PlacesPattern(form, ".+"))) &&
         !std::regex_search(text, std::regex("%[1-9]"));
}

// --- The report's lines, for each wiring and fault ---

// `outcomes`: one letter per check, passed, failed or not tried. `text`: the line of `check`, or
// its text with the places the check fills in. `chip_left_in_loader`: only an adapter that stopped
// answering leaves it there.
struct CheckCase {
  const char* name;
  void (*arrange)(BenchSetup&);
  const char* outcomes;
  CheckId check;
  std::string text;
  bool chip_left_in_loader = false;
};

class CheckLinesTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckLinesTest, EachLineInOrderThenASafeWayOut) {
  const CheckCase& c = GetParam();
  BenchSetup setup;
  c.arrange(setup);
  Bench bench(setup);
  const CheckResult result = bench.Check();
  EXPECT_EQ(bench.window.lines, result.lines);
  ASSERT_EQ(Outcomes(result.lines), c.outcomes);
  for (std::size_t i = 0; i < result.lines.size(); ++i)
    EXPECT_EQ(result.lines[i].check, static_cast<CheckId>(i));
  const CheckLine& line = result.lines[static_cast<int>(c.check)];
  EXPECT_TRUE(Fits(line.text, c.text)) << line.text;
  EXPECT_EQ(line.outcome == Outcome::kFailed, !line.advice.empty()) << line.advice;
  // A chip whose control lines the check never drove is left as it was.
  const bool restarted = bench.adapter.CountCalls("QB_SetBitMode") > 0;
  EXPECT_EQ(bench.chip().mode(),
            restarted && !c.chip_left_in_loader ? sim::ChipMode::kRunning : sim::ChipMode::kLoader);
  bench.ExpectSafeWayOut();
}

std::string WithStatus(const char* text, int status) {
  return texts::FilledIn(text, {std::to_string(status)});
}

INSTANTIATE_TEST_SUITE_P(
    , CheckLinesTest,
    ::testing::Values(
        CheckCase{"Chip", [](BenchSetup&) {}, "PPPNPP", CheckId::kChip, t::kChipAnsweredMessage},
        CheckCase{"Loopback", [](BenchSetup& s) { s.config.wiring = sim::Wiring::kLoopback; },
                  "PPPPNP", CheckId::kChip, t::kChipNotTriedLoopMessage},
        CheckCase{"NothingConnected", [](BenchSetup& s) { s.config.wiring = sim::Wiring::kOpen; },
                  "PPPNFN", CheckId::kChip, t::kNothingAnsweredMessage},
        CheckCase{"SilentChip", [](BenchSetup& s) { s.config.faults.silent_chip = true; }, "PPPNFN",
                  CheckId::kChip, t::kNothingAnsweredMessage},
        CheckCase{"LoaderAnsweringOnlyTheConfirmByte",
                  [](BenchSetup& s) { s.config.faults.echo_only_fa = true; }, "PPPNFP",
                  CheckId::kChip, t::kConfirmOnlyMessage},
        CheckCase{"ReadCommandUnacknowledged",
                  [](BenchSetup& s) { s.config.faults.no_read_command_ack = 0; }, "PPPNFN",
                  CheckId::kChip, WithStatus(t::kReadNotAcknowledgedMessage, 1)},
        CheckCase{"BlockReadShort", [](BenchSetup& s) { s.config.faults.short_readback = 0; },
                  "PPPNFN", CheckId::kChip, WithStatus(t::kBlockShortMessage, 1)},
        CheckCase{"UnpluggedAtTheRead", [](BenchSetup& s) { s.config.faults.unplug_at_block = 0; },
                  "PPPNFN", CheckId::kChip, WithStatus(t::kAdapterGoneMessage, 4), true},
        CheckCase{"LoopLosingBytes",
                  [](BenchSetup& s) {
                    s.config.wiring = sim::Wiring::kLoopback;
                    s.config.faults.loop_loses = 100;
                  },
                  "PPPFNN", CheckId::kLoopback, WithStatus(t::kLoopLost115200Message, 2)},
        CheckCase{"LoopChangingBytes",
                  [](BenchSetup& s) {
                    s.config.wiring = sim::Wiring::kLoopback;
                    s.config.faults.loop_changes = 300;
                  },
                  "PPPFNN", CheckId::kLoopback, t::kLoopChanged1000000Message},
        CheckCase{"AdapterTakingNothing",
                  [](BenchSetup& s) {
                    s.config.wiring = sim::Wiring::kLoopback;
                    s.config.faults.write_limit = 0;
                  },
                  "PPPFNN", CheckId::kLoopback, t::kTookNothingMessage},
        CheckCase{"ProgrammingRateRefused",
                  [](BenchSetup& s) { s.config.faults.reject_baud = kProgrammingBaud; }, "PPFNNN",
                  CheckId::kSerialSetUp, WithStatus(t::kRefused1000000Message, 7)},
        CheckCase{"FramingRefused", [](BenchSetup& s) { s.config.faults.data_status = 5; },
                  "PPFNNN", CheckId::kSerialSetUp, WithStatus(t::kRefusedFramingMessage, 5)},
        CheckCase{"NoAdapterListed", [](BenchSetup& s) { s.config.adapters.clear(); }, "PFNNNN",
                  CheckId::kAdapter, t::kNoAdapterListedMessage},
        CheckCase{"ListFailing", [](BenchSetup& s) { s.config.faults.list_status = 5; }, "PFNNNN",
                  CheckId::kAdapter, WithStatus(t::kListFailedMessage, 5)},
        CheckCase{"NoAdapterChosen", [](BenchSetup& s) { s.description.clear(); }, "PFNNNN",
                  CheckId::kAdapter, t::kNoAdapterChosenMessage},
        CheckCase{"AdapterHeldByAnotherProgram",
                  [](BenchSetup& s) { s.config.faults.open_status = 3; }, "PFNNNN",
                  CheckId::kAdapter, WithStatus(t::kOpenRefusedMessage, 3)},
        CheckCase{"AdapterNoLongerListed",
                  [](BenchSetup& s) { s.description = "Unplugged Adapter"; }, "PFNNNN",
                  CheckId::kAdapter, WithStatus(t::kNotListedMessage, 2)},
        CheckCase{"LibraryUnusable", [](BenchSetup& s) { s.library_usable = false; }, "FNNNNN",
                  CheckId::kDriverLibrary, "QBLINK.DLL was not found (Windows error 126)."}),
    [](const auto& row) { return std::string(row.param.name); });

// --- The estimate: the run-time model at the latency the round trip shows ---

struct EstimateCase {
  sim::Wiring wiring;
  std::uint64_t latency_us;
};

class RunEstimateTest : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(RunEstimateTest, IsTheModelAtTheMeasuredLatencyWithAdviceWhenItIsLong) {
  BenchSetup setup;
  setup.config.wiring = GetParam().wiring;
  setup.config.latency_us = GetParam().latency_us;
  Bench bench(setup);
  const CheckResult result = bench.Check();
  ASSERT_TRUE(result.estimate);
  EXPECT_NEAR(static_cast<double>(result.estimate->latency_us),
              static_cast<double>(GetParam().latency_us), 30);
  EXPECT_DOUBLE_EQ(result.estimate->run_seconds,
                   ProgrammingRunSeconds(result.estimate->latency_us));
  const CheckLine& line = result.lines.back();
  EXPECT_TRUE(Fits(line.text, t::kRunTimeMessage)) << line.text;
  EXPECT_EQ(line.advice.empty(), GetParam().latency_us < kLongRoundTripUs);
}

INSTANTIATE_TEST_SUITE_P(, RunEstimateTest,
                         ::testing::Values(EstimateCase{sim::Wiring::kLoopback, 0},
                                           EstimateCase{sim::Wiring::kLoopback, 1000},
                                           EstimateCase{sim::Wiring::kLoopback, 16000},
                                           EstimateCase{sim::Wiring::kChip, 1000},
                                           EstimateCase{sim::Wiring::kChip, 16000}));

// --- A closed window, a failing driver ---

// Closed at the first pump at which `moment` holds, where the window's close handler leaves the
// adapter to the check: after it, no wait and no line, only the chip's restart (writes and sleeps)
// and the one close.
struct ClosedCase {
  const char* name;
  bool (*moment)(Bench&);
  bool read_flash = false;
};

class ClosedWindowTest : public ::testing::TestWithParam<ClosedCase> {};

TEST_P(ClosedWindowTest, StopsAtThatPumpRestartsTheChipAndCloses) {
  Bench bench{BenchSetup{}};
  std::size_t calls_at_close = 0;
  bench.window.keep_open = [&] {
    if (!GetParam().moment(bench)) return true;
    calls_at_close = bench.adapter.calls().size();
    FormClose(bench.driver, *bench.state);
    return false;
  };
  std::size_t lines_at_close = 0;
  if (GetParam().read_flash) {
    EXPECT_FALSE(ReadWholeFlash(bench.tools, bench.description));
  } else {
    bench.Check();
    lines_at_close = bench.window.lines.size();
  }
  ASSERT_GT(calls_at_close, 0u);
  for (std::size_t i = calls_at_close; i < bench.adapter.calls().size(); ++i) {
    const std::string_view name = bench.adapter.calls()[i].name;
    EXPECT_TRUE(name != "QB_GetQueueStatus" && name != "QB_Read") << name;
  }
  EXPECT_EQ(bench.window.lines.size(), lines_at_close);
  EXPECT_EQ(bench.chip().mode(), sim::ChipMode::kRunning);
  bench.ExpectSafeWayOut();
}

INSTANTIATE_TEST_SUITE_P(
    , ClosedWindowTest,
    ::testing::Values(
        ClosedCase{"InTheLoopbackCheck",
                   [](Bench& b) { return b.adapter.CountCalls("QB_GetQueueStatus") > 10; }},
        ClosedCase{"InTheHandshake",
                   [](Bench& b) { return b.chip().Count(ChipCommandKind::kSyncProbe) > 0; }},
        ClosedCase{"InTheBlockRead",
                   [](Bench& b) { return b.chip().Count(ChipCommandKind::kReadAddress) > 0; }},
        ClosedCase{"InTheFlashRead",
                   [](Bench& b) { return b.chip().Count(ChipCommandKind::kReadAddress) > 100; },
                   true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CheckFailureTest, DriverThrowingInTheReadAndAgainInTheRestart_StillClosesOnce) {
  Bench bench{BenchSetup{}};
  bench.driver.before_call = [&](std::string_view call) {
    if (bench.chip().Count(ChipCommandKind::kReadAddress) > 0 &&
        (call == "QB_GetQueueStatus" || call == "QB_SetBitMode"))
      throw std::runtime_error(std::string(call));
  };
  EXPECT_THROW(bench.Check(), std::runtime_error);
  EXPECT_EQ(bench.adapter.CountCalls("QB_Close"), 1u);
  EXPECT_FALSE(bench.session.open);
}

// --- The flash, read without writing ---

sim::Flash Pattern() {
  sim::Flash flash;
  for (std::size_t i = 0; i < flash.size(); ++i)
    flash[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return flash;
}

TEST(FlashReadTest, ReadsTheChipsFlashWithReadCommandsOnly) {
  Bench bench{BenchSetup{}};
  bench.chip().set_flash(Pattern());
  const auto flash = ReadWholeFlash(bench.tools, bench.description);
  const sim::Flash pattern = Pattern();
  ASSERT_TRUE(flash);
  EXPECT_TRUE(std::equal(flash->begin(), flash->end(), pattern.begin(), pattern.end()));
  EXPECT_EQ(bench.chip().Count(ChipCommandKind::kReadAddress), 512u);
  EXPECT_EQ(bench.window.progress, kRomImageSize);
  EXPECT_EQ(
      bench.window.lines,
      (std::vector<CheckLine>{{CheckId::kFlashRead, Outcome::kPassed, t::kFlashReadMessage, ""}}));
  EXPECT_EQ(bench.chip().mode(), sim::ChipMode::kRunning);
  bench.ExpectSafeWayOut();
}

TEST(FlashReadTest, AdapterUnpluggedMidRead_SaysSoAndOnlyClosesIt) {
  BenchSetup setup;
  setup.config.faults.unplug_at_block = 100;
  Bench bench(setup);
  EXPECT_FALSE(ReadWholeFlash(bench.tools, bench.description));
  ASSERT_EQ(bench.window.lines.size(), 1u);
  EXPECT_EQ(bench.window.lines[0].text, WithStatus(t::kAdapterGoneMessage, 4));
  EXPECT_EQ(bench.adapter.CountCalls("QB_SetBitMode"), 2u);  // the restart into the loader only
  bench.ExpectSafeWayOut();
}

TEST(FlashReadTest, LoopInsteadOfAChip_SaysTheCommandCameBack) {
  BenchSetup setup;
  setup.config.wiring = sim::Wiring::kLoopback;
  Bench bench(setup);
  EXPECT_FALSE(ReadWholeFlash(bench.tools, bench.description));
  EXPECT_EQ(bench.window.lines,
            (std::vector<CheckLine>{{CheckId::kFlashRead, Outcome::kFailed, t::kReadEchoedMessage,
                                     t::kReadEchoedAdvice}}));
  bench.ExpectSafeWayOut();
}

// `file` changes the saved image of the flash; the line on the comparison, or on the file.
struct CompareCase {
  const char* name;
  void (*change)(std::vector<std::uint8_t>& file, MemoryRomFileSystem& files);
  Outcome outcome;
  std::string text;
  bool chip_read;
  bool silent_chip = false;
};

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, ReportsTheFirstDifferenceAndTheCountOrTheFilesFault) {
  Bench bench{BenchSetup{}};
  bench.chip().set_flash(Pattern());
  MemoryRomFileSystem files;
  const sim::Flash pattern = Pattern();
  std::vector<std::uint8_t> file(pattern.begin(), pattern.end());
  GetParam().change(file, files);
  files.Put(kPath, file);
  bench.adapter.faults().silent_chip = GetParam().silent_chip;
  CompareFlashWithFile(bench.tools, bench.description, files, kPath);
  ASSERT_FALSE(bench.window.lines.empty());
  EXPECT_EQ(bench.window.lines.back(),
            (CheckLine{CheckId::kCompare, GetParam().outcome, GetParam().text, ""}));
  EXPECT_EQ(bench.adapter.CountCalls("QB_OpenEx"), GetParam().chip_read ? 1u : 0u);
  EXPECT_EQ(files.open_files(), 0);
  bench.ExpectSafeWayOut();
}

INSTANTIATE_TEST_SUITE_P(
    , CompareTest,
    ::testing::Values(
        CompareCase{"Same", [](auto&, auto&) {}, Outcome::kPassed, t::kFlashSameMessage, true},
        CompareCase{"TwoBytesChanged",
                    [](std::vector<std::uint8_t>& file, MemoryRomFileSystem&) {
                      file[0x1234] ^= 0x01;
                      file[0xFFFF] ^= 0x80;
                    },
                    Outcome::kFailed, texts::FilledIn(t::kFlashDiffersMessage, {"4661", "2"}),
                    true},
        CompareCase{"FlashUnread", [](auto&, auto&) {}, Outcome::kNotTried,
                    t::kNotTriedNoFlashMessage, true, true},
        CompareCase{"FileOneByteShort",
                    [](std::vector<std::uint8_t>& file, MemoryRomFileSystem&) { file.pop_back(); },
                    Outcome::kFailed, texts::kWrongSizeMessage, false},
        CompareCase{"FileReadFailing",
                    [](std::vector<std::uint8_t>&, MemoryRomFileSystem& files) {
                      files.FailOn(MemoryRomFileSystem::Operation::kRead, 7, 23);
                    },
                    Outcome::kFailed, "I/O error 23.", false}),
    [](const auto& row) { return std::string(row.param.name); });

// --- The report as the operator copies it ---

TEST(CheckReportTest, HeaderThenOneLinePerCheckWithWhatToDoOnALineOfItsOwn) {
  const ReportHeader header{"1.4.0", "6.1 build 7601", "C:\\Tools\\QBLINK.DLL", "", "QB Adapter"};
  const std::vector<CheckLine> lines = {
      {CheckId::kLoopback, Outcome::kNotTried, t::kNoLoopbackMessage, ""},
      {CheckId::kChip, Outcome::kFailed, t::kNothingAnsweredMessage, "Connect it."}};
  EXPECT_EQ(ComposeReport(header, lines),
            "Program: TRV2KCheck.exe 1.4.0\r\n"
            "Windows: 6.1 build 7601\r\n"
            "Driver library: C:\\Tools\\QBLINK.DLL, which has no file version\r\n"
            "Adapter: QB Adapter\r\n"
            "\r\n"
            "Loopback: not tried. No loopback.\r\n"
            "Chip: failed. Nothing answered: neither a loopback nor the chip's loader.\r\n"
            "What to do: Connect it.\r\n");
}

}  // namespace
}  // namespace trv
