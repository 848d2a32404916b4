// The programming run against a ROM file that fails or changes under it: every failed operation
// on the file is reported on every path, and no completion is ever shown unless the whole image
// was written and read back equal.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/memory_rom_file_system.h"
#include "programming/programming_run.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"
#include "support/recording_window.h"

namespace trv {
namespace {

using Op = MemoryRomFileSystem::Operation;
using sim::ChipCommandKind;
using Strings = std::vector<std::string>;

constexpr char kPath[] = "C:\\images\\board.ROM";
constexpr char kCompleted[] = "info:TRV2K-3B Flash reprogrammed and verified.";
constexpr char kReadBeyondEnd[] = "error:Read beyond end of file.";
// The file's opens: the size check, then the programming pass, then the verification pass.
constexpr std::uint32_t kSizeCheckOpen = 1;
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

class RomFileRunTest : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  sim::SimulatedAdapter adapter{clock, sim::SimConfig{}};
  test::RecordingWindow window;
  MemoryRomFileSystem files;
  std::unique_ptr<ProgrammerState> state = std::make_unique<ProgrammerState>();
  Programmer programmer{adapter, clock, window, files, *state};
  const std::vector<std::uint8_t> image = Pattern(kRomImageSize, 1);
  sim::Flash flash_before{};

  void SetUp() override {
    files.Put(kPath, image);
    window.device = sim::kDefaultAdapterDescription;
    window.path = kPath;
    const std::vector<std::uint8_t> old_flash = Pattern(kRomImageSize, 99);
    std::copy(old_flash.begin(), old_flash.end(), flash_before.begin());
    adapter.chip().set_flash(flash_before);
  }

  void Run() { ProgramButtonClick(programmer); }
  // Changes the file just before the given open.
  void ChangeFileBefore(std::uint32_t open, std::vector<std::uint8_t> bytes) {
    files.before_open = [this, open, bytes](std::uint32_t number) {
      if (number == open) files.Put(kPath, bytes);
    };
  }
  const sim::Flash& ChipFlash() { return adapter.chip().flash(); }
  bool FlashEqualsImage() { return std::equal(image.begin(), image.end(), ChipFlash().begin()); }
  std::size_t Chip(ChipCommandKind kind) { return adapter.chip().Count(kind); }

  // The window handed back, the adapter closed, the file closed.
  void ExpectEverythingReleased() {
    EXPECT_TRUE(window.controls_enabled);
    EXPECT_FALSE(state->adapter.open);
    EXPECT_EQ(adapter.OpenHandleCount(), 0u);
    EXPECT_EQ(files.open_files(), 0);
  }
  // After the passes: the window restored and the chip back in normal operation.
  void ExpectReturnedToNormalOperation() {
    ExpectEverythingReleased();
    EXPECT_FALSE(window.progress_visible);
    EXPECT_TRUE(window.selected_file_visible);
    EXPECT_EQ(adapter.chip().mode(), sim::ChipMode::kRunning);
  }
};

// --- A file cut short after its size was checked ---

class FileCutShortTest : public RomFileRunTest,
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

TEST_F(RomFileRunTest, FileCutShortDuringProgramming_FailsAtTheNextRead) {
  window.on_pump = [&](int) {
    if (Chip(ChipCommandKind::kDataBlock) == 10) files.Bytes(kPath).resize(10 * kWriteBlockLength);
    return true;
  };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kReadBeyondEnd});
  EXPECT_EQ(Chip(ChipCommandKind::kDataBlock), 10u);
  ExpectReturnedToNormalOperation();
}

// --- A file that grew, or was rewritten between the passes ---

TEST_F(RomFileRunTest, FileThatGrew_NothingPastTheFlashIsSent) {
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

TEST_F(RomFileRunTest, FileRewrittenBetweenThePasses_VerificationReportsTheFirstDifference) {
  std::vector<std::uint8_t> rewritten = image;
  rewritten[40000] ^= 0x01;
  rewritten[50000] ^= 0x80;
  ChangeFileBefore(kVerificationOpen, rewritten);
  Run();
  EXPECT_EQ(window.Boxes(), Strings{"info:Failed Flash verification. (Address 40001)"});
  EXPECT_TRUE(FlashEqualsImage());
  ExpectReturnedToNormalOperation();
}

// --- Failures of the file's operations, each reported at once ---

struct FileFailure {
  const char* name;
  Op operation;
  std::uint32_t nth;
  IoError code;
  Strings boxes;
  bool passes_ran;  // the adapter was opened and the run went on to its final steps
  std::size_t blocks_read_back;
};

void PrintTo(const FileFailure& failure, std::ostream* out) {
  *out << failure.name;
}

class FileFailureTest : public RomFileRunTest, public ::testing::WithParamInterface<FileFailure> {};

TEST_P(FileFailureTest, IsReportedAndTheRunRecovers) {
  const FileFailure& failure = GetParam();
  files.FailOn(failure.operation, failure.nth, failure.code);
  Run();
  EXPECT_EQ(window.Boxes(), failure.boxes);
  EXPECT_EQ(adapter.CountCalls("QB_OpenEx"), failure.passes_ran ? 1u : 0u);
  EXPECT_EQ(Chip(ChipCommandKind::kReadAddress), failure.blocks_read_back);
  if (failure.passes_ran) ExpectReturnedToNormalOperation();
  ExpectEverythingReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FileFailureTest,
    ::testing::Values(
        FileFailure{"SizeAtTheInputCheck", Op::kSize, 1, 1117, {"error:I/O error 1117."}, false, 0},
        FileFailure{"OpenForProgramming",
                    Op::kOpen,
                    kProgrammingOpen,
                    32,
                    {"error:I/O error 32."},
                    true,
                    0},
        FileFailure{"ReadWhileProgramming", Op::kRead, 7, 23, {"error:I/O error 23."}, true, 0},
        FileFailure{"ReadWhileVerifying",
                    Op::kRead,
                    kReadsPerPass + 300,
                    5,
                    {"error:File access denied."},
                    true,
                    299},
        FileFailure{"CloseAfterTheInputCheck", Op::kClose, 1, 6, {"error:I/O error 6."}, false, 0},
        FileFailure{
            "CloseAtTheEndOfProgramming", Op::kClose, 2, 6, {"error:I/O error 6."}, true, 0},
        FileFailure{
            "CloseAtTheEndOfVerification", Op::kClose, 3, 6, {"error:I/O error 6."}, true, 512}),
    [](const ::testing::TestParamInfo<FileFailure>& param) {
      return std::string(param.param.name);
    });

TEST_F(RomFileRunTest, SizeFailure_ClosesTheFileAndReportsAFailedCloseToo) {
  files.FailOn(Op::kSize, 1, 1117);
  files.FailOn(Op::kClose, 1, 6);
  Run();
  EXPECT_EQ(window.Boxes(), (Strings{"error:I/O error 1117.", "error:I/O error 6."}));
  ExpectEverythingReleased();
}

TEST_F(RomFileRunTest, FailedCloseAfterARefusalOrAFailedPass_IsReportedAfterItsMessage) {
  // After the 64K refusal.
  files.Put(kPath, Pattern(kRomImageSize - 1, 1));
  files.FailOn(Op::kClose, 1, 6);
  Run();
  EXPECT_EQ(window.Boxes(), (Strings{"info:The ROM file selected does not have a size of 64K.",
                                     "error:I/O error 6."}));
  EXPECT_EQ(adapter.CountCalls("QB_OpenEx"), 0u);
  ExpectEverythingReleased();

  // After a missing acknowledgement in the programming pass (closes 2 and 3 of this file system).
  files.Put(kPath, image);
  files.FailOn(Op::kClose, 3, 6);
  adapter.faults().no_block_ack = 4;
  window.operations.clear();
  Run();
  EXPECT_EQ(window.Boxes(), (Strings{"info:Failed to read ACK.", "error:I/O error 6."}));
  ExpectReturnedToNormalOperation();

  // After a mismatch in the verification pass (closes 4, 5 and 6).
  adapter.faults() = sim::SimFaults{};
  adapter.faults().corrupt_read = 0x1234;
  files.FailOn(Op::kClose, 6, 6);
  window.operations.clear();
  Run();
  EXPECT_EQ(window.Boxes(),
            (Strings{"info:Failed Flash verification. (Address 4661)", "error:I/O error 6."}));
  ExpectReturnedToNormalOperation();
}

// --- Each pass ends with the read that finds the end of the image, then its pump ---

TEST_F(RomFileRunTest, EachPass_ReadsUntilTheEndOfTheImageThenPumps) {
  std::vector<std::uint32_t> reads_at_pump;
  window.on_pump = [&](int) {
    reads_at_pump.push_back(files.Calls(Op::kRead));
    return true;
  };
  Run();
  EXPECT_EQ(window.Boxes(), Strings{kCompleted});
  EXPECT_EQ(files.Calls(Op::kRead), 2 * kReadsPerPass);
  // The read that found the end of each pass was followed by a pump before the file was closed.
  EXPECT_NE(std::find(reads_at_pump.begin(), reads_at_pump.end(), kReadsPerPass),
            reads_at_pump.end());
  EXPECT_NE(std::find(reads_at_pump.begin(), reads_at_pump.end(), 2 * kReadsPerPass),
            reads_at_pump.end());
}

}  // namespace
}  // namespace trv
