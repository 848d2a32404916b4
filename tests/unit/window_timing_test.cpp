// What the window tells the waits about the operator's holds, and how often it paints, on a
// virtual clock: the messages it handles are given by their numbers, as Windows numbers them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim/virtual_clock.h"
#include "ui/frame_pacer.h"
#include "ui/operator_holds.h"

namespace trv::ui {
namespace {

constexpr std::uint32_t kEnterSizeMove = 0x0231;
constexpr std::uint32_t kExitSizeMove = 0x0232;
constexpr std::uint32_t kEnterMenuLoop = 0x0211;
constexpr std::uint32_t kExitMenuLoop = 0x0212;
constexpr std::uint32_t kLeftButtonUp = 0x0202;
constexpr std::uint32_t kCommand = 0x0111;

// What the window's thread does, step by step: a message number starts handling that message, a
// number of seconds below 10 lets that much time pass, and kDone ends the innermost handling.
constexpr std::uint32_t kDone = 0;

struct HoldRow {
  const char* what;
  std::vector<std::uint32_t> steps;
  std::uint64_t held_seconds;
};

// Only the time inside the handling of a message that runs a modal loop is a hold, whatever
// messages announce or fail to announce it.
TEST(OperatorHoldsTest, OnlyTheHandlingOfAMessageThatRunsAModalLoopIsHeld) {
  const HoldRow rows[] = {
      {"a move by the title bar",
       {kNcLeftButtonDown, kSysCommand, kEnterSizeMove, kDone, 4, kExitSizeMove, kDone, kDone,
        kDone},
       4},
      {"a stray pair across two handlings", {kEnterSizeMove, kDone, 1, kExitSizeMove, kDone}, 0},
      {"an unmatched enter, then a real hold", {kEnterMenuLoop, kDone, 5, kSysKeyUp, 4, kDone}, 4},
      {"a stray exit", {2, kExitMenuLoop, kDone}, 0},
      {"the system menu during a move", {kSysCommand, 1, kNcRightButtonUp, 2, kDone, 1, kDone}, 4},
      {"a title-bar button held, no enter or exit", {kNcLeftButtonDown, 4, kDone}, 4},
      {"a hold inside the click that started a run",
       {kLeftButtonUp, kCommand, 1, kSysChar, 3, kDone, 1, kDone, kDone},
       3},
      {"a run started inside a hold counts it only as it ends",
       {kSysCommand, kCommand, kNcLeftButtonDown, 4, kDone, kDone},
       0},
  };
  for (const HoldRow& row : rows) {
    SCOPED_TRACE(row.what);
    sim::VirtualClock clock;
    OperatorHolds holds{clock};
    std::vector<std::unique_ptr<OperatorHolds::Handling>> handling;
    for (const std::uint32_t step : row.steps) {
      if (step == kDone) {
        handling.pop_back();
      } else if (step < 10) {
        clock.AdvanceUs(step * 1'000'000ull);
      } else {
        handling.push_back(std::make_unique<OperatorHolds::Handling>(holds, step));
      }
    }
    EXPECT_EQ(holds.held_us(), row.held_seconds * 1'000'000);
  }
}

// A window that would paint after every block of 1 ms, for 10 s: painting takes at most 1/32 of the
// time however long a paint takes (each paint but the last followed by its share without one), and
// on a fast screen the bar still moves 60 times a second.
TEST(FramePacerTest, PaintingTakesASmallShareOfTheTimeAtMostSixtyFramesASecond) {
  for (const std::uint64_t paint_us : {0, 100, 3600, 20'000}) {
    SCOPED_TRACE(paint_us);
    sim::VirtualClock clock;
    FramePacer pacer;
    std::uint64_t frames = 0;
    for (; clock.NowUs() < 10'000'000; clock.AdvanceUs(1000)) {
      if (!pacer.Due(clock.NowUs())) continue;
      const std::uint64_t start = clock.NowUs();
      clock.AdvanceUs(paint_us);
      pacer.Painted(start, clock.NowUs());
      ++frames;
    }
    EXPECT_LE((frames - 1) * paint_us * FramePacer::kPaintShare, clock.NowUs());
    EXPECT_GE(frames,
              paint_us <= 100 ? 580u : clock.NowUs() / (paint_us * FramePacer::kPaintShare));
    EXPECT_LE(frames, 601u);
  }
}

}  // namespace
}  // namespace trv::ui
