// The simulated chip's loader, byte by byte and without time: restarts by the control lines, the
// replies to every command, and the protocol faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sim/simulated_chip.h"

namespace trv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SimulatedChipTest : public ::testing::Test {
 protected:
  SimulatedChip chip;
  SimFaults faults;
  bool last_one_burst = false;

  void SetUp() override { EnterLoader(); }

  void EnterLoader() {
    chip.SetControlLines(false, false);
    chip.SetControlLines(true, false);
  }

  // Feeds the bytes and returns everything the chip answered.
  Bytes Feed(const Bytes& bytes) {
    Bytes reply;
    for (const std::uint8_t byte : bytes) {
      const ChipResponse response = chip.Receive(byte, 0, faults);
      reply.insert(reply.end(), response.reply.begin(), response.reply.end());
      last_one_burst = response.one_burst;
    }
    return reply;
  }

  // The write (0x03) or read (0x02) command for the block at `address`.
  static Bytes Command(std::uint8_t command, std::uint16_t address) {
    return {command, static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8),
            0x80};
  }
  static Bytes Block(std::uint8_t first) {
    Bytes block(128);
    for (std::size_t i = 0; i < block.size(); ++i) {
      block[i] = static_cast<std::uint8_t>(first + i);
    }
    return block;
  }
};

TEST_F(SimulatedChipTest, ControlLines_RestartIntoLoaderOrNormalOperationOnReleasingReset) {
  SimulatedChip fresh;
  EXPECT_EQ(fresh.mode(), ChipMode::kRunning);
  fresh.SetControlLines(false, false);  // 0xC0
  EXPECT_EQ(fresh.mode(), ChipMode::kInReset);
  fresh.SetControlLines(true, false);  // 0xC8
  EXPECT_EQ(fresh.mode(), ChipMode::kLoader);
  EXPECT_EQ(fresh.loader_rate(), 115200u);
  fresh.SetControlLines(true, true);  // the mode line alone restarts nothing
  EXPECT_EQ(fresh.mode(), ChipMode::kLoader);
  fresh.SetControlLines(false, true);  // 0xC4
  fresh.SetControlLines(true, true);   // 0xCC
  EXPECT_EQ(fresh.mode(), ChipMode::kRunning);
  EXPECT_TRUE(std::all_of(fresh.flash().begin(), fresh.flash().end(),
                          [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(SimulatedChipTest, Sync_EchoesProbeAndConfirmAndIgnoresUnknownBytes) {
  EXPECT_EQ(Feed({0xFF, 0x00, 0x42, 0xFA}), (Bytes{0xFF, 0xFA}));
  EXPECT_EQ(chip.Count(ChipCommandKind::kSyncProbe), 1u);
  EXPECT_EQ(chip.Count(ChipCommandKind::kSyncConfirm), 1u);
}

TEST_F(SimulatedChipTest, Sync_SilentChipAndEchoOnlyFa) {
  faults.silent_chip = true;
  EXPECT_TRUE(Feed({0xFF, 0xFA}).empty());
  faults.silent_chip = false;
  faults.echo_only_fa = true;
  EXPECT_EQ(Feed({0xFF, 0xFA}), (Bytes{0xFA}));
}

TEST_F(SimulatedChipTest, BaudChange_KnownOperandsSwitchRateUnknownOnesDoNotARestartUndoes) {
  EXPECT_TRUE(Feed({0x01, 0x70, 0x17, 0x03, 0x00, 0x00}).empty());
  EXPECT_EQ(chip.loader_rate(), 1000000u);
  Feed({0x01, 0x70, 0x17, 0x05, 0x00, 0x00});
  EXPECT_EQ(chip.loader_rate(), 1000000u);
  Feed({0x01, 0x70, 0x17, 0x1A, 0x00, 0x00});
  EXPECT_EQ(chip.loader_rate(), 115200u);
  EXPECT_EQ(chip.Values(ChipCommandKind::kBaudChange),
            (std::vector<std::uint32_t>{1000000, 0, 115200}));
  // A restart returns the loader to its starting rate.
  Feed({0x01, 0x70, 0x17, 0x03, 0x00, 0x00});
  EnterLoader();
  EXPECT_EQ(chip.loader_rate(), 115200u);
}

TEST_F(SimulatedChipTest, BaudChange_BrokenPrefixIsDroppedAndItsByteStartsTheNextCommand) {
  EXPECT_EQ(Feed({0x01, 0x70, 0xFF}), (Bytes{0xFF}));
  EXPECT_EQ(chip.Count(ChipCommandKind::kBaudChange), 0u);
}

TEST_F(SimulatedChipTest, WriteThenRead_AcknowledgesStoresAndReadsBackLowByteFirst) {
  EXPECT_EQ(Feed(Command(0x03, 0x1280)), (Bytes{0x02}));
  EXPECT_EQ(Feed(Block(7)), (Bytes{0x02}));
  EXPECT_EQ(chip.flash()[0x1280], 7);
  EXPECT_EQ(chip.flash()[0x12FF], 7 + 127);
  EXPECT_EQ(chip.flash()[0x1300], 0xFF);

  Bytes expected{0x02};
  const Bytes block = Block(7);
  expected.insert(expected.end(), block.begin(), block.end());
  EXPECT_EQ(Feed(Command(0x02, 0x1280)), expected);
  EXPECT_EQ(chip.Values(ChipCommandKind::kWriteAddress), std::vector<std::uint32_t>{0x1280});
  EXPECT_EQ(chip.Values(ChipCommandKind::kDataBlock), std::vector<std::uint32_t>{0x1280});
  EXPECT_EQ(chip.Values(ChipCommandKind::kReadAddress), std::vector<std::uint32_t>{0x1280});
}

TEST_F(SimulatedChipTest, WriteCommandFaults_NoOrWrongAckAndTheBlockIsNotTaken) {
  faults.no_write_command_ack = 2;
  faults.wrong_write_command_ack = 3;
  EXPECT_TRUE(Feed(Command(0x03, 0x0100)).empty());
  EXPECT_EQ(Feed(Command(0x03, 0x0180)), (Bytes{kWrongAckByte}));
  // Other blocks are unaffected, and the refused commands left no block pending.
  EXPECT_EQ(Feed(Command(0x03, 0x0080)), (Bytes{0x02}));
}

TEST_F(SimulatedChipTest, BlockFaults_NoOrWrongAckLeaveTheFlashUnwritten) {
  faults.no_block_ack = 0;
  faults.wrong_block_ack = 1;
  Feed(Command(0x03, 0x0000));
  EXPECT_TRUE(Feed(Block(1)).empty());
  Feed(Command(0x03, 0x0080));
  EXPECT_EQ(Feed(Block(1)), (Bytes{kWrongAckByte}));
  EXPECT_EQ(chip.flash()[0x0000], 0xFF);
  EXPECT_EQ(chip.flash()[0x0080], 0xFF);
}

TEST_F(SimulatedChipTest, ReadFaults_NoAckShortBlockAndCorruptByte) {
  faults.no_read_command_ack = 0;
  faults.short_readback = 1;
  faults.corrupt_read = 0x0105;
  EXPECT_TRUE(Feed(Command(0x02, 0x0000)).empty());
  EXPECT_EQ(Feed(Command(0x02, 0x0080)).size(), 1u + 127u);
  const Bytes corrupt = Feed(Command(0x02, 0x0100));
  EXPECT_EQ(corrupt[1 + 4], 0xFF);
  EXPECT_EQ(corrupt[1 + 5], 0x00);
}

TEST_F(SimulatedChipTest, StaleBytes_FollowTheLastBlocksAckInOneBurst) {
  faults.stale_bytes = 3;
  Feed(Command(0x03, 0xFF00));
  EXPECT_EQ(Feed(Block(0)), (Bytes{0x02}));
  Feed(Command(0x03, 0xFF80));
  EXPECT_EQ(Feed(Block(0)), (Bytes{0x02, kJunkByte, kJunkByte, kJunkByte}));
  EXPECT_TRUE(last_one_burst);
}

TEST_F(SimulatedChipTest, Recording_Off_KeepsNoCommands) {
  chip.set_recording(false);
  Feed({0xFF});
  EXPECT_TRUE(chip.commands().empty());
}

}  // namespace
}  // namespace trv::sim
