// The programming run end to end in the core, against the simulated chip and a ROM file that
// fails or changes on demand: the input checks, every failure path with its exact message, both
// passes, the return to normal operation, and a window closed in the middle. No completion is
// ever shown unless the whole image was written and read back equal.
#include "programming/programming_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/memory_rom_file_system.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"
#include "support/recording_window.h"
#include "tests/support/forwarding_driver.h"
#include "tests/support/hooked_driver.h"

namespace trv {
namespace {

using Op = MemoryRomFileSystem::Operation;
using sim::ChipCommandKind;
using Strings = std::vector<std::string>;

constexpr char kDevice[] = "QB USB Serial Adapter";
constexpr char kPath[] = "C:\\images\\board.ROM";
constexpr char kCompleted[] = "info:TRV2K-3B Flash reprogrammed and verified.";
constexpr char kAckFailed[] = "info:Failed to read ACK.";
constexpr char kReadBeyondEnd[] = "error:Read beyond end of file.";
const std::string kCloseFailed = std::string("info:Failed to close ") + kDevice;
// The file's opens: the size check, then the programming pass, then the verification pass.
constexpr std::uint32_t kProgrammingOpen = 2;
constexpr std::uint32_t kVerificationOpen = 3;
// Reads of a full run: 513 in each pass, the last finding the end of the image.
constexpr std::uint32_t kReadsPerPass = kRomImageSize / kWriteBlockLength + 1;

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 13 + i / 256 + seed);
  return bytes;
}

// Members are public so that the case tables below can arrange a case with a plain function.
class ProgrammingRunTest : public ::testing::Test {
 public:
  sim::VirtualClock clock;
  sim::SimulatedAdapter adapter{clock, sim::SimConfig{}};
  sim::SimFaults& faults = adapter.faults();
  test::RecordingWindow window;
  MemoryRomFileSystem files;
  std::unique_ptr<ProgrammerState> state = std::make_unique<ProgrammerState>();
  Programmer programmer{adapter, clock, window, window, files, *state};
  std::vector<std::uint8_t> image = Pattern(kRomImageSize, 1);
  sim::Flash flash_before{};  // an older image, on the chip before each test

 protected:
  void SetUp() override {
    files.Put(kPath, image);
    window.device = kDevice;
    window.path = kPath;
    const std::vector<std::uint8_t> old_image = Pattern(kRomImageSize, 99);
    std::copy(old_image.begin(), old_image.end(), flash_before.begin());
    adapter.chip().set_flash(flash_before);
  }

  void Run() { ProgramButtonClick(programmer); }
  // Changes the file just before the given open.
  void ChangeFileBefore(std::uint32_t open, std::vector<std::uint8_t> bytes) {
    files.before_open = [this, open, bytes](std::uint32_t number) {
      if (number == open) files.Put(kPath, bytes);
    };
  }

  std::size_t Calls(const char* name) const { return adapter.CountCalls(name); }
  std::size_t Chip(ChipCommandKind kind) { return adapter.chip().Count(kind); }
  const sim::Flash& ChipFlash() { return adapter.chip().flash(); }
  bool FlashEqualsImage() { return std::equal(image.begin(), image.end(), ChipFlash().begin()); }

  // The window handed back, the adapter closed and never called after, no file left open.
  void ExpectEverythingReleased() {
    EXPECT_TRUE(window.controls_enabled);
    EXPECT_FALSE(state->adapter.open);
    EXPECT_EQ(adapter.OpenHandleCount(), 0u);
    EXPECT_FALSE(adapter.CalledOnClosedHandle());
    EXPECT_EQ(files.open_files(), 0);
  }

  // Steps after the passes: window restored, loader and port back at 115,200, chip restarted into
  // normal operation, adapter closed last.
  void ExpectReturnedToNormalOperation() {
    ExpectEverythingReleased();
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
    EXPECT_EQ(adapter.CallsNamed("QB_SetBaudRate").back().args[0], kLoaderBaud);
  }

  // A failed run may write some of the new image over the older one, nothing else; a fault-free
  // run after it on the same program and chip completes.
  void ExpectTheNextRunCompletes() {
    for (std::size_t i = 0; i < kRomImageSize; ++i) {
      const std::uint8_t byte = ChipFlash()[i];
      ASSERT_TRUE(byte == flash_before[i] || byte == image[i]) << "flash byte " << i;
    }
    faults = sim::SimFaults{};
    window.operations.clear();
    Run();
    EXPECT_EQ(window.Boxes(), Strings{kCompleted});
    EXPECT_TRUE(FlashEqualsImage());
    EXPECT_EQ(adapter.chip().mode(), sim::ChipMode::kRunning);
    ExpectEverythingReleased();
  }
};

// A case shows as its name, in the test's name and in its failures.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
  return param.param.name;
}
template <typename Case>
auto operator<<(std::ostream& out, const Case& c) -> decltype(out << c.name) {
  return out << c.name;
}

// The boxes a case expects: one, or two when `second` is given.
Strings Boxes(const char* first, const char* second) {
  return second ? Strings{first, second} : Strings{first};
}

// --- Refused before the passes: nothing but the file is opened, and every failure is told ---

struct Refusal {
  const char* name;
  void (*arrange)(ProgrammingRunTest&);
  const char* box;
  const char* next_box = nullptr;
  bool adapter_tried = false;
};

class RefusedRunTest : public ProgrammingRunTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRunTest, ShowsWhyAndHandsTheWindowBack) {
  GetParam().arrange(*this);
  Run();
  EXPECT_EQ(window.Boxes(), Boxes(GetParam().box, GetParam().next_box));
  EXPECT_EQ(window.operations.front(), "disable");
  EXPECT_EQ(adapter.calls().size(), GetParam().adapter_tried ? 1u : 0u);
  ExpectEverythingReleased();
}

const char kWrongSize[] = "info:The ROM file selected does not have a size of 64K.";

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedRunTest,
    ::testing::Values(
        Refusal{"NoDeviceEvenWithoutAFile",
                [](ProgrammingRunTest& run) {
                  run.window.device.clear();
                  run.window.path.clear();
                },
                "info:A device must be selected to program the TRV2K-3B Flash."},
        Refusal{"NoFile", [](ProgrammingRunTest& run) { run.window.path.clear(); },
                "info:A ROM file has not been selected.\r\nPlease select a ROM file to program "
                "into the TRV2K."},
        Refusal{"FileMissing", [](ProgrammingRunTest& run) { run.files.Remove(kPath); },
                "error:File not found."},
        Refusal{"FileOneByteShort",
                [](ProgrammingRunTest& run) { run.files.Bytes(kPath).pop_back(); }, kWrongSize},
        Refusal{"FileOneByteLong",
                [](ProgrammingRunTest& run) { run.files.Bytes(kPath).push_back(0); }, kWrongSize},
        Refusal{"FileEmpty", [](ProgrammingRunTest& run) { run.files.Put(kPath, {}); }, kWrongSize},
        Refusal{"SizeFails", [](ProgrammingRunTest& run) { run.files.FailOn(Op::kSize, 1, 1117); },
                "error:I/O error 1117."},
        Refusal{"CloseAfterTheCheckFails",
                [](ProgrammingRunTest& run) { run.files.FailOn(Op::kClose, 1, 6); },
                "error:I/O error 6."},
        Refusal{"SizeAndCloseFail",
                [](ProgrammingRunTest& run) {
                  run.files.FailOn(Op::kSize, 1, 1117);
                  run.files.FailOn(Op::kClose, 1, 6);
                },
                "error:I/O error 1117.", "error:I/O error 6."},
        Refusal{"WrongSizeAndCloseFails",
                [](ProgrammingRunTest& run) {
                  run.files.Bytes(kPath).pop_back();
                  run.files.FailOn(Op::kClose, 1, 6);
                },
                kWrongSize, "error:I/O error 6."},
        Refusal{"AdapterWillNotOpen",
                [](ProgrammingRunTest& run) { run.window.device = "No Such Adapter"; },
                "info:Failed to open No Such Adapter", nullptr, true}),
    CaseName<Refusal>);

// --- Bringing up the loader: each failure shows its message, then closes the adapter ---

// Each fault leaves a chip that the next run can still bring up and program.
struct BringUpCase {
  const char* name;
  void (*inject)(sim::SimFaults&);
  const char* message;
};

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
  ExpectEverythingReleased();
  ExpectTheNextRunCompletes();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BringUpFailureTest,
    ::testing::Values(
        BringUpCase{"DataCharacteristics", [](sim::SimFaults& f) { f.data_status = 5; },
                    "Failed to initialise UART."},
        BringUpCase{"LoaderRate", [](sim::SimFaults& f) { f.reject_baud = kLoaderBaud; },
                    "Failed to initialise UART."},
        // Half of the baud-change command stays unsent.
        BringUpCase{"ShortWrite", [](sim::SimFaults& f) { f.write_limit = 3; },
                    "Failed to initialise TRV2K."},
        // Nothing goes out at all.
        BringUpCase{"AdapterTakingNothing", [](sim::SimFaults& f) { f.write_limit = 0; },
                    "Failed to initialise TRV2K."},
        BringUpCase{"ProgrammingRate", [](sim::SimFaults& f) { f.reject_baud = kProgrammingBaud; },
                    "Failed to set up UART."},
        BringUpCase{"SilentChip", [](sim::SimFaults& f) { f.silent_chip = true; },
                    "Failed to synchronise with TRV2K-3B.\r\nCheck programming jumper setting if "
                    "available and reset or re-power the TRV2K."}),
    CaseName<BringUpCase>);

// --- The passes ---

// Each pass starts its bar at zero, and reads until the end of the image, then pumps before it
// closes the file.
TEST_F(ProgrammingRunTest, FullRun_WritesEveryBlockOnceVerifiesAndRestoresEverything) {
  std::vector<std::uint32_t> reads_at_pump;
  window.on_pump = [&](int) {
    reads_at_pump.push_back(files.Calls(Op::kRead));
    return true;
  };
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
  Strings first_positions;  // the first position each pass sets once it has shown the bar
  bool pass_started = false;
  for (const std::string& op : ops) {
    if (op == "show-progress") pass_started = true;
    if (pass_started && op.rfind("position:", 0) == 0) {
      first_positions.push_back(op);
      pass_started = false;
    }
  }
  EXPECT_EQ(first_positions, (Strings{"position:0", "position:0"}));
  EXPECT_EQ(files.Calls(Op::kRead), 2 * kReadsPerPass);
  for (std::uint32_t end_read : {kReadsPerPass, 2 * kReadsPerPass}) {
    EXPECT_NE(std::find(reads_at_pump.begin(), reads_at_pump.end(), end_read), reads_at_pump.end());
  }
  ExpectReturnedToNormalOperation();
}

// --- A fault in a pass or after it: its boxes in order, then the steps after the passes ---

// Bytes waiting before verification are discarded and shift nothing; a mismatch names the first
// failing byte counting from one, written without grouping; a failed operation on the file is
// reported at once, after any message before it. What makes a wait fail is the loader tests'.
struct PassFault {
  const char* name;
  void (*arrange)(ProgrammingRunTest&);
  std::size_t blocks_read_back;  // read-address commands the chip received
  const char* box;
  const char* next_box = nullptr;  // the box after it, if any
  bool then_a_clean_run = false;   // one follows, on the same program and chip
};

class PassFaultTest : public ProgrammingRunTest, public ::testing::WithParamInterface<PassFault> {};

TEST_P(PassFaultTest, ShowsItsBoxesThenReturnsToNormalOperation) {
  const PassFault& fault = GetParam();
  fault.arrange(*this);
  Run();
  EXPECT_EQ(window.Boxes(), Boxes(fault.box, fault.next_box));
  EXPECT_EQ(Chip(ChipCommandKind::kReadAddress), fault.blocks_read_back);
  ExpectReturnedToNormalOperation();
  if (fault.then_a_clean_run) ExpectTheNextRunCompletes();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PassFaultTest,
    ::testing::Values(
        PassFault{"NoWriteCommandAck",
                  [](ProgrammingRunTest& run) { run.faults.no_write_command_ack = 5; }, 0,
                  kAckFailed},
        PassFault{"WrongBlockAck",
                  [](ProgrammingRunTest& run) { run.faults.wrong_block_ack = 511; }, 0, kAckFailed},
        // Every block goes out short and unacknowledged, and leaves bytes behind.
        PassFault{"ShortBlockWrites", [](ProgrammingRunTest& run) { run.faults.write_limit = 100; },
                  0, kAckFailed, nullptr, true},
        PassFault{"NoReadCommandAck",
                  [](ProgrammingRunTest& run) { run.faults.no_read_command_ack = 2; }, 3,
                  kAckFailed},
        PassFault{"MismatchAtTheFirstByte",
                  [](ProgrammingRunTest& run) { run.faults.corrupt_read = 0; }, 1,
                  "info:Failed Flash verification. (Address 1)"},
        PassFault{"MismatchAtTheLastByte",
                  [](ProgrammingRunTest& run) { run.faults.corrupt_read = 0xFFFF; }, 512,
                  "info:Failed Flash verification. (Address 65536)"},
        PassFault{"StaleBytesBeforeVerification",
                  [](ProgrammingRunTest& run) { run.faults.stale_bytes = 40; }, 512, kCompleted},
        PassFault{"ShortReadBack", [](ProgrammingRunTest& run) { run.faults.short_readback = 3; },
                  4, "info:Failed to read back Flash data. (Address 385)"},
        PassFault{"FinalCloseFails", [](ProgrammingRunTest& run) { run.faults.close_status = 4; },
                  512, kCompleted, kCloseFailed.c_str()},
        PassFault{
            "OpenForProgrammingFails",
            [](ProgrammingRunTest& run) { run.files.FailOn(Op::kOpen, kProgrammingOpen, 32); }, 0,
            "error:I/O error 32."},
        PassFault{"ReadWhileProgrammingFails",
                  [](ProgrammingRunTest& run) { run.files.FailOn(Op::kRead, 7, 23); }, 0,
                  "error:I/O error 23."},
        PassFault{
            "ReadWhileVerifyingFails",
            [](ProgrammingRunTest& run) { run.files.FailOn(Op::kRead, kReadsPerPass + 300, 5); },
            299, "error:File access denied."},
        PassFault{
            "CloseAtTheEndOfProgrammingFails",
            [](ProgrammingRunTest& run) { run.files.FailOn(Op::kClose, kProgrammingOpen, 6); }, 0,
            "error:I/O error 6."},
        PassFault{
            "CloseAtTheEndOfVerificationFails",
            [](ProgrammingRunTest& run) { run.files.FailOn(Op::kClose, kVerificationOpen, 6); },
            512, "error:I/O error 6."},
        PassFault{"CloseAfterAMissingAckFails",
                  [](ProgrammingRunTest& run) {
                    run.faults.no_block_ack = 4;
                    run.files.FailOn(Op::kClose, kProgrammingOpen, 6);
                  },
                  0, kAckFailed, "error:I/O error 6.", true},
        PassFault{"CloseAfterAMismatchFails",
                  [](ProgrammingRunTest& run) {
                    run.faults.corrupt_read = 0x1234;
                    run.files.FailOn(Op::kClose, kVerificationOpen, 6);
                  },
                  37, "info:Failed Flash verification. (Address 4661)", "error:I/O error 6."}),
    CaseName<PassFault>);

// Passes every call to the simulated adapter, but the read of the fourth block read back hands
// over fewer bytes than asked, although the queue reported them all: the rest are lost.
class LosingReadDriver final : public test::ForwardingDriver {
 public:
  using ForwardingDriver::ForwardingDriver;

  StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override {
    if (count != kReadBlockLength || ++block_reads_ != 4) {
      return inner().QB_Read(handle, buffer, count, read);
    }
    std::uint8_t block[kReadBlockLength];
    const StatusResult status = inner().QB_Read(handle, block, count, read);
    *read = std::min<std::uint32_t>(*read, 100);
    std::memcpy(buffer, block, *read);
    return status;
  }

 private:
  int block_reads_ = 0;
};

TEST_F(ProgrammingRunTest, ReadBackGivingFewerBytesThanReported_FailsWithoutComparingOldBytes) {
  // Every block alike: the bytes left in the receive buffer from the block before would match.
  image.assign(kRomImageSize, 0);
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<std::uint8_t>(i % kReadBlockLength);
  files.Put(kPath, image);
  LosingReadDriver losing(adapter);
  Programmer run{losing, clock, window, window, files, *state};
  ProgramButtonClick(run);
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed to read back Flash data. (Address 385)"});
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, AdapterUnpluggedMidPass_EndsWithAckFailureAndRecovers) {
  adapter.faults().unplug_at_block = 100;
  Run();
  EXPECT_EQ(window.Boxes(), (Strings{kAckFailed, kCloseFailed}));
  EXPECT_EQ(Calls("QB_Close"), 1u);
  EXPECT_FALSE(window.progress_visible);
  ExpectEverythingReleased();
}

// --- A file cut short, grown or rewritten after its size was checked ---

class FileCutShortTest : public ProgrammingRunTest,
                         public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(FileCutShortTest, BeforeProgramming_FailsAtTheEndOfWhatIsLeftWithoutCompleting) {
  const std::uint32_t length = GetParam();
  ChangeFileBefore(kProgrammingOpen,
                   std::vector<std::uint8_t>(image.begin(), image.begin() + length));
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kReadBeyondEnd});
  // The whole blocks left were written, and nothing else; no verification followed.
  const std::uint32_t written = length / kWriteBlockLength * kWriteBlockLength;
  EXPECT_EQ(Chip(ChipCommandKind::kDataBlock), length / kWriteBlockLength);
  EXPECT_EQ(Chip(ChipCommandKind::kReadAddress), 0u);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + written, ChipFlash().begin()));
  EXPECT_TRUE(std::equal(flash_before.begin() + written, flash_before.end(),
                         ChipFlash().begin() + written));
  ExpectReturnedToNormalOperation();
}

TEST_P(FileCutShortTest, BeforeVerification_FailsWithoutCompleting) {
  const std::uint32_t length = GetParam();
  ChangeFileBefore(kVerificationOpen,
                   std::vector<std::uint8_t>(image.begin(), image.begin() + length));
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kReadBeyondEnd});
  EXPECT_EQ(Chip(ChipCommandKind::kReadAddress), length / kReadBlockLength);
  EXPECT_TRUE(FlashEqualsImage());
  ExpectReturnedToNormalOperation();
}

INSTANTIATE_TEST_SUITE_P(Lengths, FileCutShortTest,
                         ::testing::Values(0u, 128u, 32768u, kRomImageSize - 128u,
                                           kRomImageSize - 100u),
                         [](const ::testing::TestParamInfo<std::uint32_t>& param) {
                           return "To" + std::to_string(param.param);
                         });

TEST_F(ProgrammingRunTest, FileCutShortDuringProgramming_FailsAtTheNextRead) {
  window.on_pump = [&](int) {
    if (Chip(ChipCommandKind::kDataBlock) == 10) files.Bytes(kPath).resize(10 * kWriteBlockLength);
    return true;
  };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kReadBeyondEnd});
  EXPECT_EQ(Chip(ChipCommandKind::kDataBlock), 10u);
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, FileThatGrew_NothingPastTheFlashIsSent) {
  std::vector<std::uint8_t> longer = image;
  longer.resize(kRomImageSize + 3 * kWriteBlockLength, 0x5C);
  ChangeFileBefore(kProgrammingOpen, longer);
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  EXPECT_EQ(Chip(ChipCommandKind::kWriteAddress), 512u);
  EXPECT_EQ(Chip(ChipCommandKind::kDataBlock), 512u);
  EXPECT_EQ(Chip(ChipCommandKind::kReadAddress), 512u);
  EXPECT_TRUE(FlashEqualsImage());
  ExpectReturnedToNormalOperation();
}

TEST_F(ProgrammingRunTest, FileRewrittenBetweenThePasses_VerificationReportsTheFirstDifference) {
  std::vector<std::uint8_t> rewritten = image;
  rewritten[40000] ^= 0x01;
  rewritten[50000] ^= 0x80;
  ChangeFileBefore(kVerificationOpen, rewritten);
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed Flash verification. (Address 40001)"});
  EXPECT_TRUE(FlashEqualsImage());
  ExpectReturnedToNormalOperation();
}

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
    Programmer run{*fresh, clock, window, window, files, *state};
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
    EXPECT_EQ(files.open_files(), 0);
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

// OK on the completion box, then the window closed at once: the close leaves the adapter to the
// run, which restarts the chip into normal operation and only then closes it, once.
TEST_F(ProgrammingRunTest, WindowClosedAsTheChipReturnsToNormal_RunRestartsItThenCloses) {
  bool ok_pressed = false;
  window.on_box = [&](const std::string&) { ok_pressed = true; };
  window.on_pump = [&](int) {
    if (ok_pressed) FormClose(adapter, *state);
    return !ok_pressed;
  };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  EXPECT_EQ(adapter.chip().mode(), sim::ChipMode::kRunning);
  EXPECT_EQ(adapter.chip().loader_rate(), kLoaderBaud);
  EXPECT_EQ(Calls("QB_Close"), 1u);
  EXPECT_EQ(adapter.calls().back().name, "QB_Close");
  EXPECT_FALSE(state->adapter.open);
}

// An unexpected error goes on to the window, which reports it. Once the passes have begun (the
// programming pass, verification, the return to normal operation itself) the run first restarts
// the chip into normal operation, as far as the adapter answers, and closes the adapter; before
// them (the handshake's probes) the chip stays in its loader as after any failed bring-up, and the
// window's recovery closes the adapter.
TEST_F(ProgrammingRunTest, UnexpectedError_ChipRestartedOnceThePassesHaveBegun) {
  struct Row {
    const char* call;
    int nth;
    bool passes_begun;
  };
  for (const Row& row : {Row{"QB_Write", 2, false}, Row{"QB_Write", 700, true},
                         Row{"QB_Read", 900, true}, Row{"QB_SetBitMode", 3, true}}) {
    SCOPED_TRACE(std::string(row.call) + " #" + std::to_string(row.nth));
    sim::SimulatedAdapter fresh{clock, sim::SimConfig{}};
    test::HookedDriver driver{fresh};
    driver.before_call = test::ThrowAt(row.call, row.nth);
    Programmer run{driver, clock, window, window, files, *state};
    EXPECT_THROW(ProgramButtonClick(run), std::bad_alloc);
    EXPECT_EQ(fresh.chip().mode(),
              row.passes_begun ? sim::ChipMode::kRunning : sim::ChipMode::kLoader);
    EXPECT_EQ(fresh.CountCalls("QB_Close"), row.passes_begun ? 1u : 0u);
    EXPECT_EQ(state->adapter.open, !row.passes_begun);
    FormClose(fresh, *state);
    EXPECT_EQ(fresh.OpenHandleCount(), 0u);
  }
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
