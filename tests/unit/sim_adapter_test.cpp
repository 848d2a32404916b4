// The simulated adapter on virtual time: the wire's timing and lost bytes, the driver calls'
// answers, the adapter faults, and the flash file of the stand-in DLL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/flash_file.h"
#include "sim/simulated_adapter.h"
#include "sim/virtual_clock.h"

namespace trv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kLatencyUs = 100;

Bytes AddressCommand(std::uint8_t command, std::uint16_t address) {
  return {command, static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8),
          0x80};
}

Flash Pattern() {
  Flash flash;
  for (std::size_t i = 0; i < flash.size(); ++i) {
    flash[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }
  return flash;
}

class SimulatedAdapterTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  SimulatedAdapter sim{clock, Config()};
  AdapterHandle handle = 0;

  static SimConfig Config() {
    SimConfig config;
    config.latency_us = kLatencyUs;
    return config;
  }

  void Open() { ASSERT_EQ(sim.QB_OpenEx(kDefaultAdapterDescription, 2, &handle), kStatusOk); }
  void Restart(std::uint8_t first_mask, std::uint8_t second_mask) {
    sim.QB_SetBitMode(handle, first_mask, 0x20);
    sim.QB_SetBitMode(handle, second_mask, 0x20);
  }
  void SetPort(std::uint32_t baud) {
    ASSERT_EQ(sim.QB_SetBaudRate(handle, baud), kStatusOk);
    ASSERT_EQ(sim.QB_SetDataCharacteristics(handle, 8, 0, 0), kStatusOk);
  }
  // Opens the adapter, restarts the chip into its loader and moves both ends to 1,000,000 baud.
  void OpenAtProgrammingRate() {
    Open();
    Restart(0xC0, 0xC8);
    SetPort(115200);
    Send({0x01, 0x70, 0x17, 0x03, 0x00, 0x00});
    clock.AdvanceUs(1000);
    SetPort(1000000);
  }
  void Send(const Bytes& bytes) {
    std::uint32_t written = 0;
    ASSERT_EQ(
        sim.QB_Write(handle, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written),
        kStatusOk);
    ASSERT_EQ(written, bytes.size());
  }
  std::uint32_t Waiting() {
    std::uint32_t waiting = 0;
    sim.QB_GetQueueStatus(handle, &waiting);
    return waiting;
  }
  Bytes Read(std::uint32_t count) {
    Bytes bytes(count);
    std::uint32_t got = 0;
    sim.QB_Read(handle, bytes.data(), count, &got);
    bytes.resize(got);
    return bytes;
  }
  // Polls as the programmer does, yielding between polls, until `count` bytes wait.
  Bytes Await(std::uint32_t count) {
    for (int poll = 0; poll < 100000 && Waiting() < count; ++poll) {
      clock.SleepMs(0);
    }
    return Read(count);
  }
  // The chip only learns of bytes that reached it when the next call looks at the wire.
  void Look() { Waiting(); }
};

TEST_F(SimulatedAdapterTest, Wire_ByteAtOneMegabaudTakesTenMicrosecondsAndReplyWaitsForLatency) {
  OpenAtProgrammingRate();
  Send({0xFF});
  clock.AdvanceUs(9);
  Look();
  EXPECT_EQ(sim.chip().Count(ChipCommandKind::kSyncProbe), 0u);
  clock.AdvanceUs(1);
  Look();
  EXPECT_EQ(sim.chip().Count(ChipCommandKind::kSyncProbe), 1u);
  // The echo needs ten more microseconds on the wire, then the adapter's latency.
  clock.AdvanceUs(10 + kLatencyUs - 1);
  EXPECT_EQ(Waiting(), 0u);
  clock.AdvanceUs(1);
  EXPECT_EQ(Waiting(), 1u);
  EXPECT_EQ(Read(1), Bytes{0xFF});
}

TEST_F(SimulatedAdapterTest, Wire_BytesFollowOneAnotherAtThePortRate) {
  Open();
  Restart(0xC0, 0xC8);
  SetPort(115200);
  Send({0x01, 0x70, 0x17, 0x03, 0x00, 0x00});
  clock.AdvanceUs(520);  // six bytes at 115,200 baud take 520.8 us
  Look();
  EXPECT_EQ(sim.chip().loader_rate(), 115200u);
  clock.AdvanceUs(1);
  Look();
  EXPECT_EQ(sim.chip().loader_rate(), 1000000u);
}

// A probe on a port left at 1,000,000 baud while the loader still listens at 115,200, or framed
// other than 8N1, or sent to a chip that runs its program.
TEST_F(SimulatedAdapterTest, Wire_ProbeTheChipCannotTakeIsNeitherHeardNorAnswered) {
  struct Way {
    const char* what;
    std::uint8_t first_mask, second_mask;  // the restart
    std::uint32_t baud;
    std::uint8_t data_bits;
  };
  const Way ways[] = {{"baud change skipped", 0xC0, 0xC8, 1000000, 8},
                      {"7 data bits", 0xC0, 0xC8, 115200, 7},
                      {"run mode", 0xC4, 0xCC, 115200, 8}};
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    Open();
    Restart(way.first_mask, way.second_mask);
    sim.QB_SetBaudRate(handle, way.baud);
    sim.QB_SetDataCharacteristics(handle, way.data_bits, 0, 0);
    Send({0xFF});
    clock.AdvanceUs(10000);
    EXPECT_EQ(Waiting(), 0u);
    EXPECT_EQ(sim.chip().Count(ChipCommandKind::kSyncProbe), 0u);
    sim.QB_Close(handle);
  }
}

TEST_F(SimulatedAdapterTest, Wire_ReplyIsLostWhenThePortChangesRateBeforeItArrives) {
  OpenAtProgrammingRate();
  Send({0xFF});
  clock.AdvanceUs(15);  // the chip has the probe, its echo is on the wire
  SetPort(115200);
  clock.AdvanceUs(10000);
  EXPECT_EQ(sim.chip().Count(ChipCommandKind::kSyncProbe), 1u);
  EXPECT_EQ(Waiting(), 0u);
}

TEST_F(SimulatedAdapterTest, Read_CopiesOnlyReadableBytesUpToTheCountFromTheFirstByte) {
  OpenAtProgrammingRate();
  sim.chip().set_flash(Pattern());
  Send(AddressCommand(0x02, 0x0100));
  // The command arrives after 40 us; reply byte k after another 10 * (k + 1) us.
  clock.AdvanceUs(40 + 50 + kLatencyUs);
  EXPECT_EQ(Waiting(), 5u);

  Bytes buffer(8, 0xEE);
  std::uint32_t got = 0;
  EXPECT_EQ(sim.QB_Read(handle, buffer.data(), 2, &got), kStatusOk);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(buffer, (Bytes{0x02, Pattern()[0x100], 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(Read(100), (Bytes{Pattern()[0x101], Pattern()[0x102], Pattern()[0x103]}));
}

TEST_F(SimulatedAdapterTest, Write_ReturnsAtOnceAndTakesAtMostTheWriteLimit) {
  OpenAtProgrammingRate();
  const std::uint64_t before = clock.NowUs();
  const Bytes block(128, 0xAB);
  std::uint32_t written = 0;
  sim.QB_Write(handle, block.data(), 128, &written);
  EXPECT_EQ(written, 128u);
  EXPECT_EQ(clock.NowUs(), before);

  sim.faults().write_limit = 3;
  sim.QB_Write(handle, block.data(), 128, &written);
  EXPECT_EQ(written, 3u);
}

TEST_F(SimulatedAdapterTest, Write_FullTransmitBufferHoldsTheCallerUntilTheWireMakesRoom) {
  OpenAtProgrammingRate();
  Send(Bytes(SerialWire::kTransmitBufferSize, 0x00));
  const std::uint64_t before = clock.NowUs();
  Send(Bytes(3, 0x00));
  // Three bytes at 1,000,000 baud had to leave first; the caller waited in yield quanta.
  EXPECT_GE(clock.NowUs() - before, 30u);
  EXPECT_LT(clock.NowUs() - before, 30u + VirtualClock::kDefaultYieldQuantumUs);
}

TEST(SimulatedAdapterListTest, SixtyFourCharacterDescriptionFillsItsFieldWithoutAZero) {
  VirtualClock clock;
  SimConfig config;
  config.adapters = {std::string(64, 'x'), "short"};
  SimulatedAdapter sim(clock, config);

  std::uint32_t count = 0;
  ASSERT_EQ(sim.QB_CreateDeviceInfoList(&count), kStatusOk);
  ASSERT_EQ(count, 2u);
  AdapterInfoRecord records[3];
  std::memset(records, 0xAA, sizeof records);
  count = 1;  // room for one record only
  ASSERT_EQ(sim.QB_GetDeviceInfoList(records, &count), kStatusOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(DescriptionOf(records[0]), std::string(64, 'x'));
  EXPECT_EQ(records[0].bytes[96], 0);  // the field ends at 96; the record's tail is zero
  EXPECT_EQ(records[1].bytes[0], 0xAA);

  count = 3;
  ASSERT_EQ(sim.QB_GetDeviceInfoList(records, &count), kStatusOk);
  EXPECT_EQ(DescriptionOf(records[1]), "short");
  EXPECT_EQ(records[2].bytes[0], 0xAA);
}

TEST_F(SimulatedAdapterTest, Open_ByExactDescriptionWithFlagTwoAndOnlyOnce) {
  AdapterHandle other = 0;
  EXPECT_EQ(sim.QB_OpenEx("QB USB Serial", 2, &other), kStatusDeviceNotFound);
  EXPECT_EQ(sim.QB_OpenEx(kDefaultAdapterDescription, 1, &other), kStatusInvalidParameter);
  Open();
  EXPECT_NE(handle, 0u);
  EXPECT_EQ(sim.QB_OpenEx(kDefaultAdapterDescription, 2, &other), kStatusDeviceNotOpened);
  EXPECT_EQ(sim.OpenHandleCount(), 1u);
  EXPECT_EQ(sim.QB_Close(handle), kStatusOk);
  EXPECT_EQ(sim.OpenHandleCount(), 0u);
  EXPECT_FALSE(sim.CalledOnClosedHandle());
}

TEST_F(SimulatedAdapterTest, ClosedHandle_EveryCallFailsAndIsMarked) {
  Open();
  sim.QB_Close(handle);
  std::uint32_t waiting = 99;
  EXPECT_EQ(sim.QB_GetQueueStatus(handle, &waiting), kStatusInvalidHandle);
  EXPECT_EQ(waiting, 0u);
  EXPECT_TRUE(sim.calls().back().on_closed_handle);
  EXPECT_TRUE(sim.CalledOnClosedHandle());
  EXPECT_EQ(sim.QB_Close(handle), kStatusInvalidHandle);
  EXPECT_EQ(sim.CountCalls("QB_Close"), 2u);
  EXPECT_EQ(sim.CallsNamed("QB_Close").back().status, kStatusInvalidHandle);
}

TEST_F(SimulatedAdapterTest, Faults_ListBusyCountsDownThenListStatusApplies) {
  std::uint32_t count = 0;
  sim.faults().list_busy = 2;
  EXPECT_EQ(sim.QB_CreateDeviceInfoList(&count), kStatusListNotReady);
  EXPECT_EQ(sim.QB_CreateDeviceInfoList(&count), kStatusListNotReady);
  EXPECT_EQ(sim.QB_CreateDeviceInfoList(&count), kStatusOk);
  EXPECT_EQ(count, 1u);

  sim.faults().list_status = 5;
  EXPECT_EQ(sim.QB_CreateDeviceInfoList(&count), 5u);
  sim.faults().list_busy = SimFaults::kForever;
  for (int call = 1; call <= 3; ++call) {
    SCOPED_TRACE("call " + std::to_string(call) + " after list_busy=forever");
    EXPECT_EQ(sim.QB_CreateDeviceInfoList(&count), kStatusListNotReady);
  }
}

TEST_F(SimulatedAdapterTest, Faults_OpenAndPortSettingStatuses) {
  sim.faults().open_status = 3;
  AdapterHandle refused = 0;
  EXPECT_EQ(sim.QB_OpenEx(kDefaultAdapterDescription, 2, &refused), 3u);
  EXPECT_EQ(sim.OpenHandleCount(), 0u);
  sim.faults().open_status.reset();
  Open();

  sim.faults().reject_baud = 1000000;
  sim.faults().data_status = 9;
  sim.faults().flow_status = 11;
  EXPECT_EQ(sim.QB_SetBaudRate(handle, 1000000), kStatusInvalidBaudRate);
  EXPECT_EQ(sim.QB_SetBaudRate(handle, 115200), kStatusOk);
  EXPECT_EQ(sim.QB_SetDataCharacteristics(handle, 8, 0, 0), 9u);
  EXPECT_EQ(sim.QB_SetFlowControl(handle, 0x0100, 0, 0), 11u);
}

TEST_F(SimulatedAdapterTest, Faults_CloseStatusIsAnsweredButTheAdapterIsClosed) {
  Open();
  sim.faults().close_status = 7;
  EXPECT_EQ(sim.QB_Close(handle), 7u);
  EXPECT_EQ(sim.OpenHandleCount(), 0u);
  EXPECT_EQ(sim.QB_SetRts(handle), kStatusInvalidHandle);
}

TEST_F(SimulatedAdapterTest, Faults_UnplugAtBlockFailsEveryCallFromItsWriteCommandOn) {
  OpenAtProgrammingRate();
  sim.faults().unplug_at_block = 1;
  Send(AddressCommand(0x03, 0x0000));
  ASSERT_EQ(Await(1), Bytes{0x02});
  Send(Bytes(128, 0x11));
  ASSERT_EQ(Await(1), Bytes{0x02});
  Send(AddressCommand(0x03, 0x0080));
  clock.AdvanceUs(1000);

  std::uint32_t value = 0;
  EXPECT_EQ(sim.QB_GetQueueStatus(handle, &value), kStatusIoError);
  EXPECT_TRUE(sim.unplugged());
  EXPECT_EQ(sim.QB_CreateDeviceInfoList(&value), kStatusIoError);
  EXPECT_EQ(sim.QB_Close(handle), kStatusIoError);
  EXPECT_EQ(sim.OpenHandleCount(), 0u);
  AdapterHandle again = 0;
  EXPECT_EQ(sim.QB_OpenEx(kDefaultAdapterDescription, 2, &again), kStatusIoError);
  EXPECT_EQ(sim.chip().flash()[0x0000], 0x11);
}

TEST(FlashFileTest, MissingFileIsErasedShortFileIsPaddedAndSaveRoundTrips) {
  const std::string path = ::testing::TempDir() + "sim_flash_test.bin";
  std::remove(path.c_str());
  EXPECT_EQ(LoadFlashFile(path)[0x1234], 0xFF);

  std::ofstream(path, std::ios::binary) << "AB";
  const Flash short_flash = LoadFlashFile(path);
  EXPECT_EQ(short_flash[0], 'A');
  EXPECT_EQ(short_flash[2], 0xFF);

  ASSERT_TRUE(SaveFlashFile(path, Pattern()));
  EXPECT_EQ(std::filesystem::file_size(path), kRomImageSize);
  EXPECT_EQ(LoadFlashFile(path), Pattern());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace trv::sim
