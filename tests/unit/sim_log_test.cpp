// The stand-in's log: the text of each driver call and chip command, and runs of identical lines
// written once with their count, which must not be lost when the log is closed in mid-run.
#include "sim/sim_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/virtual_clock.h"

namespace trv::sim {
namespace {

using Lines = std::vector<std::string>;

CollapsingLog::LineWriter RecordInto(Lines& lines) {
  return [&lines](const std::string& line) { lines.push_back(line); };
}

// A run's count is written when a different line comes, at a flush (as at the process's exit)
// or at the close, once.
TEST(CollapsingLogTest, RepeatedLine_WrittenOnceThenCountedOnce) {
  struct Case {
    Lines lines;
    bool flush;
    Lines before_close;
    Lines after_close;
  };
  const Case cases[] = {
      {{"a", "a", "a", "b", "a"}, false, {"a", "... (repeated 2 more times)", "b", "a"}, {}},
      {{"a", "b", "b", "b"}, false, {"a", "b"}, {"... (repeated 2 more times)"}},
      {{"a", "b"}, false, {"a", "b"}, {}},
      {{"a", "a"}, true, {"a", "... (repeated 1 more times)"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lines));
    Lines written;
    {
      CollapsingLog log(RecordInto(written));
      for (const std::string& line : c.lines)
        log.WriteLine(line);
      if (c.flush) log.FlushRepeats();
      EXPECT_EQ(written, c.before_close);
    }
    Lines all = c.before_close;
    all.insert(all.end(), c.after_close.begin(), c.after_close.end());
    EXPECT_EQ(written, all);
  }
}

TEST(CollapsingLogTest, SimulatedSession_EveryCallAndChipCommandWithPollsCollapsed) {
  VirtualClock clock;
  SimulatedAdapter sim(clock, SimConfig{});
  Lines written;
  {
    CollapsingLog log(RecordInto(written));
    sim.set_observer(&log);
    AdapterHandle handle = 0;
    ASSERT_EQ(sim.QB_OpenEx(kDefaultAdapterDescription, 2, &handle), kStatusOk);
    sim.QB_SetBitMode(handle, 0xC0, 0x20);
    sim.QB_SetBitMode(handle, 0xC8, 0x20);
    sim.QB_SetBaudRate(handle, 115200);
    sim.QB_SetDataCharacteristics(handle, 8, 0, 0);
    const std::uint8_t baud_change[] = {0x01, 0x70, 0x17, 0x03, 0x00, 0x00};
    std::uint32_t written_bytes = 0;
    sim.QB_Write(handle, baud_change, sizeof baud_change, &written_bytes);
    std::uint32_t waiting = 0;
    for (int poll = 0; poll < 20; ++poll) {
      sim.QB_GetQueueStatus(handle, &waiting);  // the loader does not answer a baud change
    }
    clock.AdvanceUs(1000);
    sim.QB_Close(handle);
    sim.set_observer(nullptr);
  }
  EXPECT_EQ(written, (Lines{
                         "QB_OpenEx \"QB USB Serial Adapter\" 2 handle=0x1 -> 0",
                         "QB_SetBitMode 0x1 0xc0 0x20 -> 0",
                         "QB_SetBitMode 0x1 0xc8 0x20 -> 0",
                         "QB_SetBaudRate 0x1 115200 -> 0",
                         "QB_SetDataCharacteristics 0x1 8 0 0 -> 0",
                         "QB_Write 0x1 6 written=6 -> 0",
                         "QB_GetQueueStatus 0x1 waiting=0 -> 0",
                         "... (repeated 19 more times)",
                         "chip baud 1000000",
                         "QB_Close 0x1 -> 0",
                     }));
}

TEST(SimLogTest, FormatsChipCommandsAndCallsWithHexWhereItReadsBest) {
  EXPECT_EQ(FormatChipCommand({ChipCommandKind::kReadAddress, 0xFF80, 0}),
            "chip read-address 0xff80");
  EXPECT_EQ(FormatChipCommand({ChipCommandKind::kBaudChange, 0, 0}), "chip baud unknown");
  EXPECT_EQ(FormatChipCommand({ChipCommandKind::kSyncProbe, 0xFF, 0}), "chip sync 0xff");
  DriverCall call;
  call.name = "QB_SetFlowControl";
  call.has_handle = true;
  call.handle = 2;
  call.args = {0x0100, 0, 0};
  call.arg_count = 3;
  call.status = 11;
  EXPECT_EQ(FormatCall(call), "QB_SetFlowControl 0x2 0x100 0 0 -> 11");
}

}  // namespace
}  // namespace trv::sim
