// The programming run end to end in the core: input checks, every failure path with its exact
// message, both passes against the simulated chip, and the return to normal operation.
#include "programming/programming_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/posix_rom_file.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"
#include "support/recording_window.h"

namespace trv {
namespace {

using sim::ChipCommandKind;
using Strings = std::vector<std::string>;

constexpr char kDevice[] = "QB USB Serial Adapter";
constexpr char kCompleted[] = "info:TRV2K-3B Flash reprogrammed and verified.";
constexpr char kAckFailed[] = "info:Failed to read ACK.";

class ProgrammingRunTest : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  sim::SimulatedAdapter adapter{clock, sim::SimConfig{}};
  test::RecordingWindow window;
  PosixRomFileSystem files;
  std::unique_ptr<ProgrammerState> state = std::make_unique<ProgrammerState>();
  Programmer programmer{adapter, clock, window, files, *state};
  std::string rom_path;
  std::vector<std::uint8_t> image;

  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    rom_path = ::testing::TempDir() + "run_" + name + ".rom";
    image.resize(kRomImageSize);
    for (std::size_t i = 0; i < image.size(); ++i)
      image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    WriteRom(image);
    window.device = kDevice;
    window.path = rom_path;
  }
  void TearDown() override { std::filesystem::remove(rom_path); }

  void WriteRom(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(rom_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  void Run() { ProgramButtonClick(programmer); }

  std::size_t Calls(const char* name) const { return adapter.CountCalls(name); }
  std::size_t Chip(ChipCommandKind kind) { return adapter.chip().Count(kind); }
  bool FlashEqualsImage() {
    return std::equal(image.begin(), image.end(), adapter.chip().flash().begin());
  }

  // Idle again: controls enabled, the path shown, nothing left open.
  void ExpectIdleWindowAndNoAdapterOpen() {
    EXPECT_TRUE(window.controls_enabled);
    EXPECT_FALSE(state->adapter.open);
    EXPECT_EQ(adapter.OpenHandleCount(), 0u);
    EXPECT_FALSE(adapter.CalledOnClosedHandle());
  }

  // Steps after the passes: window restored, loader and port back at 115,200, chip restarted into
  // normal operation, adapter closed last.
  void ExpectReturnedToNormalOperation() {
    ExpectIdleWindowAndNoAdapterOpen();
    EXPECT_FALSE(window.progress_visible);
    EXPECT_TRUE(window.selected_file_visible);
    EXPECT_EQ(window.label2, "Selected File:");
    EXPECT_EQ(adapter.chip().Values(ChipCommandKind::kBaudChange).back(), kLoaderBaud);
    EXPECT_EQ(adapter.chip().mode(), sim::ChipMode::kRunning);
    const auto& calls = adapter.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.back().name, "QB_Close");
    EXPECT_EQ(Calls("QB_Close"), 1u);
    const auto masks = adapter.CallsNamed("QB_SetBitMode");
    ASSERT_GE(masks.size(), 2u);
    EXPECT_EQ(masks[masks.size() - 2].args[0], 0xC4u);
    EXPECT_EQ(masks.back().args[0], 0xCCu);
    const auto rates = adapter.CallsNamed("QB_SetBaudRate");
    EXPECT_EQ(rates.back().args[0], kLoaderBaud);
  }
};

// --- Input checks: nothing is opened before the inputs are known to be good ---

TEST_F(ProgrammingRunTest, EmptyDevice_ShowsOnlyTheDeviceMessageEvenWithoutAFile) {
  window.device.clear();
  window.path.clear();
  Run();
  EXPECT_EQ(window.Boxes(),
            Strings{"info:A device must be selected to program the TRV2K-3B Flash."});
  EXPECT_EQ(window.operations.front(), "disable");
  EXPECT_TRUE(adapter.calls().empty());
  ExpectIdleWindowAndNoAdapterOpen();
}

TEST_F(ProgrammingRunTest, EmptyPath_AsksForAFile) {
  window.path.clear();
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:A ROM file has not been selected.\r\nPlease select a ROM "
                                    "file to program into the TRV2K."});
  EXPECT_TRUE(adapter.calls().empty());
  ExpectIdleWindowAndNoAdapterOpen();
}

TEST_F(ProgrammingRunTest, WrongSize_IsRefusedWithoutOpeningTheAdapter) {
  for (std::size_t size :
       {std::size_t{kRomImageSize - 1}, std::size_t{kRomImageSize + 1}, std::size_t{0}}) {
    SCOPED_TRACE(size);
    window.operations.clear();
    WriteRom(std::vector<std::uint8_t>(size, 0xAB));
    Run();
    EXPECT_EQ(window.Boxes(), Strings{"info:The ROM file selected does not have a size of 64K."});
  }
  EXPECT_TRUE(adapter.calls().empty());
  ExpectIdleWindowAndNoAdapterOpen();
}

TEST_F(ProgrammingRunTest, MissingFile_GivesTheErrorReportAndOpensNothing) {
  window.path = rom_path + ".missing";
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"error:File not found."});
  EXPECT_TRUE(adapter.calls().empty());
  ExpectIdleWindowAndNoAdapterOpen();
}

TEST_F(ProgrammingRunTest, AdapterThatWillNotOpen_NamesItAndClosesNothing) {
  adapter.faults().open_status = 3;
  Run();
  EXPECT_EQ(window.Boxes(), Strings{std::string("info:Failed to open ") + kDevice});
  EXPECT_EQ(Calls("QB_Close"), 0u);
  ExpectIdleWindowAndNoAdapterOpen();

  adapter.faults().open_status.reset();
  window.operations.clear();
  window.device = "No Such Adapter";
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed to open No Such Adapter"});
}

// --- Bringing up the loader: each failure shows its message, then closes the adapter ---

struct BringUpCase {
  const char* name;
  void (*inject)(sim::SimFaults&);
  const char* message;
};

void PrintTo(const BringUpCase& c, std::ostream* out) {
  *out << c.name;
}

class BringUpFailureTest : public ProgrammingRunTest,
                           public ::testing::WithParamInterface<BringUpCase> {};

TEST_P(BringUpFailureTest, ShowsItsMessageThenClosesTheAdapter) {
  GetParam().inject(adapter.faults());
  std::size_t closes_when_shown = 99;
  window.on_box = [&](const std::string&) { closes_when_shown = Calls("QB_Close"); };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{std::string("info:") + GetParam().message});
  EXPECT_EQ(closes_when_shown, 0u);
  EXPECT_EQ(Calls("QB_Close"), 1u);
  ASSERT_FALSE(adapter.calls().empty());
  EXPECT_EQ(adapter.calls().back().name, "QB_Close");
  EXPECT_EQ(Chip(ChipCommandKind::kWriteAddress), 0u);
  ExpectIdleWindowAndNoAdapterOpen();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BringUpFailureTest,
    ::testing::Values(
        BringUpCase{"DataCharacteristics", [](sim::SimFaults& f) { f.data_status = 5; },
                    "Failed to initialise UART."},
        BringUpCase{"LoaderRate", [](sim::SimFaults& f) { f.reject_baud = kLoaderBaud; },
                    "Failed to initialise UART."},
        BringUpCase{"ShortWrite", [](sim::SimFaults& f) { f.write_limit = 3; },
                    "Failed to initialise TRV2K."},
        BringUpCase{"ProgrammingRate", [](sim::SimFaults& f) { f.reject_baud = kProgrammingBaud; },
                    "Failed to set up UART."},
        BringUpCase{"SilentChip", [](sim::SimFaults& f) { f.silent_chip = true; },
                    "Failed to synchronise with TRV2K-3B.\r\nCheck programming jumper setting if "
                    "available and reset or re-power the TRV2K."}),
    [](const ::testing::TestParamInfo<BringUpCase>& param) {
      return std::string(param.param.name);
    });

TEST_F(ProgrammingRunTest, SilentChip_GivesUpOnlyAfterBothThreeSecondPhases) {
  adapter.faults().silent_chip = true;
  const std::uint64_t start = clock.NowMs();
  Run();
  EXPECT_GE(clock.NowMs() - start, 6000u);
  EXPECT_LT(clock.NowMs() - start, 7000u);
}

TEST_F(ProgrammingRunTest, ChipEchoingOnlyFA_StillSynchronisesAndPrograms) {
  adapter.faults().echo_only_fa = true;
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  EXPECT_TRUE(FlashEqualsImage());
}

// --- The passes ---

TEST_F(ProgrammingRunTest, FullRun_WritesEveryBlockOnceVerifiesAndRestoresEverything) {
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  std::vector<std::uint32_t> expected_addresses;
  for (std::uint32_t a = 0; a < kRomImageSize; a += kWriteBlockLength)
    expected_addresses.push_back(a);
  EXPECT_EQ(adapter.chip().Values(ChipCommandKind::kWriteAddress), expected_addresses);
  EXPECT_EQ(adapter.chip().Values(ChipCommandKind::kReadAddress), expected_addresses);
  EXPECT_EQ(Chip(ChipCommandKind::kDataBlock), 512u);
  EXPECT_EQ(adapter.chip().Values(ChipCommandKind::kBaudChange),
            (std::vector<std::uint32_t>{kProgrammingBaud, kLoaderBaud}));
  EXPECT_TRUE(FlashEqualsImage());
  EXPECT_EQ(window.progress_maximum, kRomImageSize);
  const auto& ops = window.operations;
  EXPECT_EQ(std::count(ops.begin(), ops.end(), "position:65536"), 2);
  EXPECT_NE(std::find(ops.begin(), ops.end(), "label2:Programming Flash:"), ops.end());
  EXPECT_NE(std::find(ops.begin(), ops.end(), "label2:Verifying Flash:"), ops.end());
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, MissingOrWrongAck_EndsTheProgrammingPassWithoutVerifying) {
  const std::vector<std::pair<const char*, void (*)(sim::SimFaults&)>> faults = {
      {"no write-command ack", [](sim::SimFaults& f) { f.no_write_command_ack = 5; }},
      {"wrong write-command ack", [](sim::SimFaults& f) { f.wrong_write_command_ack = 0; }},
      {"no block ack", [](sim::SimFaults& f) { f.no_block_ack = 511; }},
      {"wrong block ack", [](sim::SimFaults& f) { f.wrong_block_ack = 7; }},
  };
  for (const auto& [name, inject] : faults) {
    SCOPED_TRACE(name);
    adapter.faults() = sim::SimFaults{};
    inject(adapter.faults());
    window.operations.clear();
    const std::size_t reads_before = Chip(ChipCommandKind::kReadAddress);
    const std::size_t closes_before = Calls("QB_Close");
    Run();
    EXPECT_EQ(window.Boxes(), Strings{kAckFailed});
    EXPECT_EQ(Chip(ChipCommandKind::kReadAddress), reads_before);
    EXPECT_EQ(Calls("QB_Close"), closes_before + 1);
    EXPECT_EQ(adapter.chip().mode(), sim::ChipMode::kRunning);
    EXPECT_EQ(adapter.calls().back().name, "QB_Close");
    ExpectIdleWindowAndNoAdapterOpen();
  }
}

TEST_F(ProgrammingRunTest, MissingAckOnReadCommand_EndsVerification) {
  adapter.faults().no_read_command_ack = 2;
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kAckFailed});
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, Mismatch_ReportsTheFirstFailingByteCountingFromOne) {
  adapter.faults().corrupt_read = 0x0000;
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed Flash verification. (Address 1)"});
  ExpectReturnedToNormalOperation();

  adapter.faults().corrupt_read = 0xFFFF;
  window.operations.clear();
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed Flash verification. (Address 65536)"});
}

TEST_F(ProgrammingRunTest, StaleBytesBeforeVerification_AreDiscarded) {
  adapter.faults().stale_bytes = 40;
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, ShortReadBack_FailsWhenTheWaitRunsOutAndNamesTheBlock) {
  adapter.faults().short_readback = 3;
  std::uint64_t shown_at_us = 0;
  window.on_box = [&](const std::string&) { shown_at_us = clock.NowUs(); };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed to read back Flash data. (Address 385)"});
  // The wait starts once the read command is acknowledged, a little after the command left, and
  // gives up at the first poll past 3 s.
  const auto& commands = adapter.chip().commands();
  const auto last_read = std::find_if(commands.rbegin(), commands.rend(), [](const auto& c) {
    return c.kind == ChipCommandKind::kReadAddress;
  });
  ASSERT_NE(last_read, commands.rend());
  const std::uint64_t asked_at_us = last_read->at_us;
  EXPECT_GE(shown_at_us - asked_at_us, 3'000'000u);
  EXPECT_LT(shown_at_us - asked_at_us, 3'010'000u);
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, FailingFinalClose_IsReportedAfterTheCompletion) {
  adapter.faults().close_status = 4;
  Run();
  EXPECT_EQ(window.Boxes(), (Strings{kCompleted, std::string("info:Failed to close ") + kDevice}));
  ExpectIdleWindowAndNoAdapterOpen();
}

TEST_F(ProgrammingRunTest, AdapterUnpluggedMidPass_EndsWithAckFailureAndRecovers) {
  adapter.faults().unplug_at_block = 100;
  Run();
  EXPECT_EQ(window.Boxes(), (Strings{kAckFailed, std::string("info:Failed to close ") + kDevice}));
  EXPECT_EQ(Calls("QB_Close"), 1u);
  EXPECT_FALSE(state->adapter.open);
  EXPECT_TRUE(window.controls_enabled);
  EXPECT_FALSE(window.progress_visible);
}

TEST_F(ProgrammingRunTest, FileShortenedDuringTheRun_IsRefusedNotPadded) {
  window.on_pump = [&](int) {
    if (adapter.chip().Count(ChipCommandKind::kSyncProbe) > 0) {
      std::filesystem::resize_file(rom_path, kRomImageSize - 100);
    }
    return true;
  };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"error:Read beyond end of file."});
  EXPECT_EQ(Chip(ChipCommandKind::kDataBlock), 511u);
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, FileRemovedDuringTheRun_ReportsItAndRecovers) {
  window.on_pump = [&](int) {
    if (adapter.chip().Count(ChipCommandKind::kSyncProbe) > 0) std::filesystem::remove(rom_path);
    return true;
  };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"error:File not found."});
  ExpectReturnedToNormalOperation();
}

// --- A run after a failed one starts clean ---

struct FailedRunCase {
  const char* name;
  void (*inject)(sim::SimFaults&);
};

void PrintTo(const FailedRunCase& c, std::ostream* out) {
  *out << c.name;
}

class RunAfterFailedRunTest : public ProgrammingRunTest,
                              public ::testing::WithParamInterface<FailedRunCase> {};

TEST_P(RunAfterFailedRunTest, CompletesWithTheFlashEqualToTheImage) {
  // The flash holds an older image; a failed run may write some of the new one, nothing else.
  sim::Flash old_flash{};
  for (std::size_t i = 0; i < old_flash.size(); ++i)
    old_flash[i] = static_cast<std::uint8_t>(0xA0 + i % 7);
  adapter.chip().set_flash(old_flash);
  GetParam().inject(adapter.faults());
  Run();
  ASSERT_NE(window.Boxes(), Strings{kCompleted});
  for (std::size_t i = 0; i < kRomImageSize; ++i) {
    const std::uint8_t byte = adapter.chip().flash()[i];
    ASSERT_TRUE(byte == old_flash[i] || byte == image[i]) << "flash byte " << i;
  }

  adapter.faults() = sim::SimFaults{};
  window.operations.clear();
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  EXPECT_TRUE(FlashEqualsImage());
  EXPECT_EQ(adapter.chip().mode(), sim::ChipMode::kRunning);
  ExpectIdleWindowAndNoAdapterOpen();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RunAfterFailedRunTest,
    ::testing::Values(
        // Half of the baud-change command stays unsent.
        FailedRunCase{"ShortWriteOfTheBaudChange", [](sim::SimFaults& f) { f.write_limit = 3; }},
        // Every block goes out short and unacknowledged, and so does the way back.
        FailedRunCase{"ShortBlockWrites", [](sim::SimFaults& f) { f.write_limit = 100; }},
        // Nothing goes out: the handshake's probes pile up in the transmit buffer.
        FailedRunCase{"AdapterTakingNothing", [](sim::SimFaults& f) { f.write_limit = 0; }},
        FailedRunCase{"MissingBlockAck", [](sim::SimFaults& f) { f.no_block_ack = 9; }},
        FailedRunCase{"SilentChip", [](sim::SimFaults& f) { f.silent_chip = true; }}),
    [](const ::testing::TestParamInfo<FailedRunCase>& param) {
      return std::string(param.param.name);
    });

// --- Closing the window in the middle of a run ---

TEST_F(ProgrammingRunTest, WindowClosedMidRun_NoDriverCallOrMessageAfterTheClose) {
  // Closed during the handshake, during the programming pass, and during verification.
  const std::vector<std::pair<ChipCommandKind, std::size_t>> moments = {
      {ChipCommandKind::kSyncProbe, 1},
      {ChipCommandKind::kDataBlock, 300},
      {ChipCommandKind::kReadAddress, 10}};
  for (const auto& [kind, count] : moments) {
    SCOPED_TRACE(testing::Message()
                 << "closed at chip command " << static_cast<int>(kind) << " #" << count);
    auto fresh = std::make_unique<sim::SimulatedAdapter>(clock, sim::SimConfig{});
    Programmer run{*fresh, clock, window, files, *state};
    window.operations.clear();
    window.closed = false;
    window.on_pump = [&, kind = kind, count = count](int) {
      if (fresh->chip().Count(kind) < count) return true;
      FormClose(*fresh, *state);
      return false;
    };
    ProgramButtonClick(run);
    ASSERT_FALSE(fresh->calls().empty());
    EXPECT_EQ(fresh->calls().back().name, "QB_Close");
    EXPECT_EQ(fresh->CountCalls("QB_Close"), 1u);
    EXPECT_TRUE(window.Boxes().empty());
    EXPECT_FALSE(state->adapter.open);
    EXPECT_FALSE(fresh->CalledOnClosedHandle());
  }
}

TEST_F(ProgrammingRunTest, WindowClosedWhileAMessageIsShown_TheRunStopsThere) {
  adapter.faults().no_block_ack = 3;
  bool closed = false;
  window.on_box = [&](const std::string&) {
    FormClose(adapter, *state);
    closed = true;
  };
  window.on_pump = [&](int) { return !closed; };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kAckFailed});
  EXPECT_EQ(Calls("QB_Close"), 1u);
  ASSERT_FALSE(adapter.calls().empty());
  EXPECT_EQ(adapter.calls().back().name, "QB_Close");
  EXPECT_FALSE(adapter.CalledOnClosedHandle());
}

TEST(FormCloseTest, ClosesOnlyAnAdapterThatIsOpen) {
  sim::VirtualClock clock;
  sim::SimulatedAdapter adapter{clock, sim::SimConfig{}};
  auto state = std::make_unique<ProgrammerState>();
  FormClose(adapter, *state);
  EXPECT_TRUE(adapter.calls().empty());

  ASSERT_EQ(adapter.QB_OpenEx(kDevice, kOpenByDescription, &state->adapter.handle), kStatusOk);
  state->adapter.open = true;
  adapter.faults().close_status = 4;
  FormClose(adapter, *state);
  EXPECT_FALSE(state->adapter.open);
  EXPECT_EQ(adapter.CountCalls("QB_Close"), 1u);
  FormClose(adapter, *state);
  EXPECT_EQ(adapter.CountCalls("QB_Close"), 1u);
}

}  // namespace
}  // namespace trv
