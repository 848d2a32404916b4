#include "ui/progress_painter.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "form_fixture.h"

namespace {

constexpr std::uint32_t kMaximum = 65536;
constexpr std::uint32_t kBlock = 128;

// The window with its bar shown, on a virtual clock: only a window on the screen paints at all.
struct BarFixture : ui_test::FormFixture {
  BarFixture() {
    ShowWindow(controls.Form1, SW_SHOWNOACTIVATE);
    form.SetProgressBarVisible(true);
  }
  std::uint32_t Position() const {
    return static_cast<std::uint32_t>(SendMessageW(controls.ProgressBar1, PBM_GETPOS, 0, 0));
  }
  std::uint32_t Painted() const { return form.progress_painter().painted_position(); }
};

}  // namespace

// A pass of 512 blocks of 1 ms each, pumping after every block: each position can be read at
// once, but the bar paints about once per frame of the window; the last position, and the first
// of the next pass, are painted as they come.
TEST(Progress, BlockEveryMillisecond_ReadAtOnceButPaintedOncePerFrame) {
  BarFixture fixture;
  const std::uint32_t paints_at_start = fixture.form.progress_painter().paint_count();
  for (std::uint32_t position = kBlock; position < kMaximum; position += kBlock) {
    SCOPED_TRACE("position " + std::to_string(position));
    fixture.clock.AdvanceUs(1000);
    fixture.form.SetProgressPosition(position);
    EXPECT_EQ(position, fixture.Position());
    fixture.form.PumpMessages();
    EXPECT_LE(position - fixture.Painted(), 17 * kBlock);
  }
  // 511 ms is 30.7 frames.
  const std::uint32_t paints = fixture.form.progress_painter().paint_count() - paints_at_start;
  EXPECT_GE(paints, 29u);
  EXPECT_LE(paints, 32u);
  for (const std::uint32_t end : {kMaximum, 0u}) {
    fixture.form.SetProgressPosition(end);
    EXPECT_EQ(end, fixture.Painted());
  }
}

TEST(Progress, PositionOutsideTheRange_IsHeldWithinIt) {
  BarFixture fixture;
  fixture.form.SetProgressPosition(kMaximum + 1);
  EXPECT_EQ(kMaximum, fixture.Position());
  fixture.form.SetProgressRange(0, 1024);
  EXPECT_EQ(1024u, fixture.Position());
}
