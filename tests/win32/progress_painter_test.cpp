#include "ui/progress_painter.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "form_fixture.h"

namespace {

using trv::ui::ProgressPainter;

constexpr std::uint32_t kMaximum = 65536;
constexpr std::uint32_t kBlock = 128;

// A shown window holding one progress bar under a painter: only a window on the screen paints at
// all.
struct BarFixture {
  HWND host = CreateWindowExW(0, WC_STATICW, L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 40, nullptr,
                              nullptr, nullptr, nullptr);
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 257, 16, host,
                             nullptr, nullptr, nullptr);
  ProgressPainter painter;

  BarFixture() {
    painter.Attach(bar);
    painter.SetRange(0, kMaximum);
    painter.SetPosition(0);
  }
  ~BarFixture() { DestroyWindow(host); }
  BarFixture(const BarFixture&) = delete;
  BarFixture& operator=(const BarFixture&) = delete;

  std::uint32_t Position() const {
    return static_cast<std::uint32_t>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  }
};

}  // namespace

// A pass of 512 blocks of 1 ms each in the window, pumping after every block: each position can be
// read at once, but the bar paints about once per frame of the window, and the last position is
// painted as it comes.
TEST(Progress, BlockEveryMillisecond_ReadAtOnceButPaintedOncePerFrame) {
  ui_test::FormFixture fixture;
  ShowWindow(fixture.controls.Form1, SW_SHOWNOACTIVATE);
  fixture.form.SetProgressBarVisible(true);
  const ProgressPainter& painter = fixture.form.progress_painter();
  const std::uint32_t paints_at_start = painter.paint_count();
  for (std::uint32_t position = kBlock; position < kMaximum; position += kBlock) {
    SCOPED_TRACE("position " + std::to_string(position));
    fixture.clock.AdvanceUs(1000);
    fixture.form.SetProgressPosition(position);
    EXPECT_EQ(position, static_cast<std::uint32_t>(
                            SendMessageW(fixture.controls.ProgressBar1, PBM_GETPOS, 0, 0)));
    fixture.form.PumpMessages();
    EXPECT_LE(position - painter.painted_position(), 17 * kBlock);
  }
  // 511 ms is 30.7 frames.
  const std::uint32_t paints = painter.paint_count() - paints_at_start;
  EXPECT_GE(paints, 29u);
  EXPECT_LE(paints, 32u);

  fixture.form.SetProgressPosition(kMaximum);
  EXPECT_EQ(kMaximum, painter.painted_position());
}

TEST(Progress, HeldPosition_IsPaintedWhenAskedAndAtEitherEnd) {
  BarFixture fixture;
  fixture.painter.SetPosition(kBlock);
  EXPECT_EQ(0u, fixture.painter.painted_position());
  fixture.painter.PaintNow();
  EXPECT_EQ(kBlock, fixture.painter.painted_position());
  fixture.painter.SetPosition(kMaximum);
  EXPECT_EQ(kMaximum, fixture.painter.painted_position());
  // A new pass starts again from the beginning, shown at once.
  fixture.painter.SetPosition(0);
  EXPECT_EQ(0u, fixture.painter.painted_position());
}

TEST(Progress, PositionOutsideTheRange_IsHeldWithinIt) {
  BarFixture fixture;
  fixture.painter.SetPosition(kMaximum + 1);
  EXPECT_EQ(kMaximum, fixture.Position());
  fixture.painter.SetRange(0, 1024);
  EXPECT_EQ(1024u, fixture.Position());
}
