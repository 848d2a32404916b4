// How long the real program takes for a whole run under Wine, set against the wire's lower bound
// and against the same run of the core and the stand-in in one process with no window at all, so
// that what the window and the library boundary cost shows on its own.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "bench/timed_run.h"
#include "check/run_time_model.h"
#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"
#include "timed_program_run.h"

namespace e2e {
using namespace trv::remote;

namespace {

constexpr int kTimedRuns = 3;
constexpr double kBlocks = 2 * kRomSize / 128.0;  // both passes
// The whole run may take at most this many times as long as the same run without a window.
constexpr double kWindowCostLimit = 1.5;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// " 4.41 s 4.35 s 4.52 s"
std::string List(const std::vector<double>& values, const char* unit = " s") {
  std::string listed;
  for (double value : values) {
    char text[24];
    std::snprintf(text, sizeof text, " %.2f%s", value, unit);
    listed += text;
  }
  return listed;
}

// The stand-in's latency for these runs: TRV_TIMING_LATENCY_MS in the environment, to measure
// the program at the latency of a given adapter, else the scenarios' usual one.
unsigned TimingLatencyMs() {
  wchar_t value[16] = L"";
  if (GetEnvironmentVariableW(L"TRV_TIMING_LATENCY_MS", value, 16) == 0) {
    return kStandInLatencyMs;
  }
  return static_cast<unsigned>(std::wcstoul(value, nullptr, 10));
}

// The runs without a window and the program's, in turn, the program's by part; and the program's
// as ratios to the run without a window just before each.
struct Timings {
  std::vector<double> windowless;
  std::vector<double> windowless_passes;
  std::vector<double> plain;
  std::vector<double> totals, set_ups, passes, finishes;
  std::vector<double> window_cost;
};

// In turn, so that all see the same load on the machine: the run without a window and the run
// through a plain window (in this process, while the programmer waits idle), then the
// programmer's. False when one of the
// programmer's runs did not complete.
bool TimeInTurn(const Programmer& app, unsigned latency_ms, Timings& timings) {
  for (int i = 0; i < kTimedRuns; ++i) {
    SCOPED_TRACE("run " + std::to_string(i + 1));
    const trv::bench::TimedRun reference = trv::bench::TimeProgrammingRun(latency_ms * 1000ULL);
    EXPECT_TRUE(reference.Verified()) << "the run without a window did not verify";
    timings.windowless.push_back(reference.wall_seconds);
    timings.windowless_passes.push_back(reference.passes_seconds);
    const trv::bench::TimedRun plain = trv::bench::TimePlainWindowRun(latency_ms * 1000ULL);
    EXPECT_TRUE(plain.Verified()) << "the run through a plain window did not verify";
    timings.plain.push_back(plain.wall_seconds);
    const ExeRun run = TimeExeRun(app, i + 1 < kTimedRuns ? L"" : Screenshot());
    if (!run.complete) {
      return false;
    }
    timings.totals.push_back(run.Total());
    timings.set_ups.push_back(run.set_up);
    timings.passes.push_back(run.passes);
    timings.finishes.push_back(run.finish);
    timings.window_cost.push_back(run.Total() / reference.wall_seconds);
    // The click handler returns just after the close; the next click waits for that anyway.
    WaitUntil(kCloseTimeoutMs, [&] { return app->InputsEnabled(); });
  }
  return true;
}

void Print(const Timings& timings, unsigned latency_ms) {
  const double bound = trv::ProgrammingRunSeconds(latency_ms * 1000ULL);
  const std::vector<double>& windowless = timings.windowless;
  const std::vector<double>& totals = timings.totals;
  std::printf("wine timing at %u ms latency, wire bound %.3f s, %d runs of each in turn:\n",
              latency_ms, bound, kTimedRuns);
  std::printf(
      "  without a window (core and stand-in in one process):%s; median %.2f s, ratio %.2f; "
      "passes %.2f s\n",
      List(windowless).c_str(), Median(windowless), Median(windowless) / bound,
      Median(timings.windowless_passes));
  std::printf("  through a plain window (in one process as well):%s; median %.2f s, ratio %.2f\n",
              List(timings.plain).c_str(), Median(timings.plain), Median(timings.plain) / bound);
  std::printf(
      "  TRV2KFlash.exe:%s; median %.2f s, ratio %.2f; set-up %.2f s, passes %.2f s, return to "
      "run mode %.2f s\n",
      List(totals).c_str(), Median(totals), Median(totals) / bound, Median(timings.set_ups),
      Median(timings.passes), Median(timings.finishes));
  const double window_seconds = Median(timings.passes) - Median(timings.windowless_passes);
  std::printf(
      "  the program takes%s times as long as the run before it without a window; its passes "
      "%.2f ms more per block\n",
      List(timings.window_cost, "").c_str(), window_seconds * 1000 / kBlocks);
  std::printf("  the program's median is %.2f times the core's and %.2f times the plain window's\n",
              Median(totals) / Median(windowless), Median(totals) / Median(timings.plain));
}

// Fails only when every run of the program takes more than kWindowCostLimit times as long as the
// run without a window just before it: see the README.
TEST(WineTiming, ProgramTakesLittleLongerThanTheRunWithoutAWindow) {
  // No driver log: writing it would be timed along with the program.
  const unsigned latency_ms = TimingLatencyMs();
  Programmer app = StartProgrammer(
      "wine_timing", {{L"QBSIM_LOG", L""}, {L"QBSIM_LATENCY_MS", std::to_wstring(latency_ms)}});
  const std::vector<unsigned char> image = app.ChooseAdapterAndImage(14);
  Timings timings;
  ASSERT_TRUE(TimeInTurn(app, latency_ms, timings)) << "a run of the program did not complete";
  ExpectFlashHolds(app.flash_path, image);
  EXPECT_TRUE(app->CloseWindow(kCloseTimeoutMs)) << "the programmer did not end after WM_CLOSE";
  Print(timings, latency_ms);
  EXPECT_LE(*std::min_element(timings.window_cost.begin(), timings.window_cost.end()),
            kWindowCostLimit)
      << "every run of the program took more than " << kWindowCostLimit
      << " times as long as the run without a window before it";
}

}  // namespace

}  // namespace e2e
