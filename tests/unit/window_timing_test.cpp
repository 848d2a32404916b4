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

// One step of what the window's thread does: start handling a message, end the innermost
// handling, or let time pass.
struct Step {
  enum Kind { kHandle, kDone, kWait } kind;
  std::uint32_t value = 0;  // the message, or seconds
};
constexpr Step Handle(std::uint32_t message) {
  return {Step::kHandle, message};
}
constexpr Step kDone{Step::kDone};
constexpr Step Wait(std::uint32_t seconds) {
  return {Step::kWait, seconds};
}

struct HoldRow {
  const char* what;
  std::vector<Step> steps;
  std::uint64_t held_seconds;
};

// Only the time inside the handling of a message that runs a modal loop is a hold, whatever
// messages announce or fail to announce it.
TEST(OperatorHoldsTest, OnlyTheHandlingOfAMessageThatRunsAModalLoopIsHeld) {
  const HoldRow rows[] = {
      {"a move by the title bar",
       {Handle(kNcLeftButtonDown), Handle(kSysCommand), Handle(kEnterSizeMove), kDone, Wait(4),
        Handle(kExitSizeMove), kDone, kDone, kDone},
       4},
      {"a stray pair across two handlings",
       {Handle(kEnterSizeMove), kDone, Wait(1), Handle(kExitSizeMove), kDone},
       0},
      {"an unmatched enter, then a real hold",
       {Handle(kEnterMenuLoop), kDone, Wait(5), Handle(kSysKeyUp), Wait(4), kDone},
       4},
      {"a stray exit", {Wait(2), Handle(kExitMenuLoop), kDone}, 0},
      {"the system menu during a move",
       {Handle(kSysCommand), Wait(1), Handle(kNcRightButtonUp), Wait(2), kDone, Wait(1), kDone},
       4},
      {"a title-bar button held, no enter or exit", {Handle(kNcLeftButtonDown), Wait(4), kDone}, 4},
      {"a hold inside the click that started a run",
       {Handle(kLeftButtonUp), Handle(kCommand), Wait(1), Handle(kSysChar), Wait(3), kDone, Wait(1),
        kDone, kDone},
       3},
      {"a run started inside a hold counts it only as it ends",
       {Handle(kSysCommand), Handle(kCommand), Handle(kNcLeftButtonDown), Wait(4), kDone, kDone},
       0},
  };
  for (const HoldRow& row : rows) {
    SCOPED_TRACE(row.what);
    sim::VirtualClock clock;
    OperatorHolds holds{clock};
    std::vector<std::unique_ptr<OperatorHolds::Handling>> handling;
    for (const Step& step : row.steps) {
      if (step.kind == Step::kHandle) {
        handling.push_back(std::make_unique<OperatorHolds::Handling>(holds, step.value));
      } else if (step.kind == Step::kDone) {
        handling.pop_back();
      } else {
        clock.AdvanceUs(step.value * 1'000'000ull);
      }
    }
    EXPECT_EQ(holds.held_us(), row.held_seconds * 1'000'000);
  }
}

// A window that would paint after every block of 1 ms, for 10 s: painting takes at most about 3 %
// of the time however long a paint takes, and on a fast screen the bar still moves 60 times a
// second.
TEST(FramePacerTest, PaintingTakesASmallShareOfTheTimeAtMostSixtyFramesASecond) {
  struct Row {
    std::uint64_t paint_us;
    std::uint64_t frames_at_least;
  };
  for (const Row& row : {Row{0, 580}, Row{100, 580}, Row{3600, 86}, Row{20'000, 16}}) {
    SCOPED_TRACE(row.paint_us);
    sim::VirtualClock clock;
    FramePacer pacer;
    std::uint64_t painting_us = 0;
    std::uint64_t frames = 0;
    while (clock.NowUs() < 10'000'000) {
      clock.AdvanceUs(1000);
      if (!pacer.Due(clock.NowUs())) continue;
      const std::uint64_t start = clock.NowUs();
      clock.AdvanceUs(row.paint_us);
      pacer.Painted(start, clock.NowUs());
      painting_us += row.paint_us;
      ++frames;
    }
    // Each paint but the last is followed by its share of time without one.
    EXPECT_LE((painting_us - row.paint_us) * FramePacer::kPaintShare, clock.NowUs());
    EXPECT_GE(frames, row.frames_at_least);
    EXPECT_LE(frames, 601u);
  }
}

}  // namespace
}  // namespace trv::ui
