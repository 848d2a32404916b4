#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

#include "checks.h"
#include "expected_texts.h"
#include "scenarios.h"
#include "screen_capture.h"
#include "sim_files.h"
#include "win_helpers.h"

namespace e2e {

namespace {

constexpr DWORD kFullRunTimeoutMs = 90000;
constexpr DWORD kCloseTimeoutMs = 5000;
constexpr DWORD kMidRunTimeoutMs = 30000;
constexpr DWORD kLibraryReportTimeoutMs = 20000;
// Progress at which the window is closed under a running pass.
constexpr DWORD kCloseAtProgress = 8192;
// Often enough to time a run of seconds to 1 %, seldom enough not to slow it.
constexpr DWORD kTimedRunPollMs = 10;
constexpr DWORD kQuietAfterBoxMs = 1500;

// The least time the wire needs for a whole run at the stand-in's latency: each of the 512 blocks
// is a 4-byte command and 128 data bytes out and two acknowledgements back, then a 4-byte
// command out and the acknowledgement with 128 bytes back; every reply waits out the latency.
// 240 ms of fixed sleeps come on top.
double WireBoundSeconds(double latency_seconds) {
  constexpr double kByteSeconds = 10e-6;  // 10 bits at 1,000,000 baud
  const double programming =
      512 * ((4 + 128) * kByteSeconds + 2 * (kByteSeconds + latency_seconds));
  const double verifying = 512 * ((4 + 129) * kByteSeconds + latency_seconds);
  return programming + verifying + 0.240;
}

bool Contains(const std::vector<std::wstring>& seen, const std::vector<std::wstring>& in_order) {
  auto next = seen.begin();
  for (const std::wstring& wanted : in_order) {
    next = std::find(next, seen.end(), wanted);
    if (next == seen.end()) {
      return false;
    }
  }
  return true;
}

std::wstring Upper(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), towupper);
  return text;
}

// A run from Program to the completion message, with the window watched throughout.
void ExpectSuccessfulRun(Scenario& s, const Instance& app, const RunObservation& run,
                         const std::vector<unsigned char>& image, size_t log_start) {
  ExpectBoxes(s, run, {Information(kProgrammed)});
  if (run.boxes.size() == 1) {
    const MessageBoxSeen& box = run.boxes[0];
    s.CheckText(box.label2_when_shown, kVerifyingHeading, "Label2 at the completion message");
    s.Check(box.progress_visible_when_shown && !box.selected_file_visible_when_shown,
            "the progress bar was not in place of SelectedFile at the completion message");
    s.Check(!box.inputs_enabled_when_shown, "controls enabled at the completion message");
  }
  s.Check(Contains(run.label2_captions, {kProgrammingHeading, kVerifyingHeading, kIdleHeading}),
          "Label2 did not go \"Programming Flash:\", \"Verifying Flash:\", \"Selected File:\"");
  s.Check(run.highest_progress == 65536,
          "progress reached " + std::to_string(run.highest_progress) + ", want 65536");
  s.Check(!run.inputs_enabled_with_progress, "controls enabled during a pass");
  ExpectIdleWindow(s, *app);
  ExpectFlashHolds(s, app.flash_path, image);

  const auto all = app.Log();
  const std::vector<std::string> log(all.begin() + std::min(log_start, all.size()), all.end());
  ExpectCommandCounts(s, log, 512, 512);
  std::vector<std::string> writes;
  for (const std::string& line : log) {
    if (line.rfind("chip write-address", 0) == 0) {
      writes.push_back(line);
    }
  }
  s.Check(writes.size() == 512 && Upper(Widen(writes.front())) == L"CHIP WRITE-ADDRESS 0X0000" &&
              Upper(Widen(writes.back())) == L"CHIP WRITE-ADDRESS 0XFF80",
          "blocks not written from 0x0000 up to 0xff80");
  ExpectReturnToRunMode(s, log);
}

}  // namespace

void RunScenarios(Suite& suite) {
  if (suite.Wants("full_run")) {
    Instance app;
    suite.Run("successful_run", [&](Scenario& s) {
      app = suite.Start("full_run", {});
      const std::vector<unsigned char> image = RomImage(kRomSize, 11);
      WriteWholeFile(app.Path(L"image.ROM"), image);
      app->ChooseDevice(0);
      s.CheckText(app->DeviceText(), kDefaultAdapter, "the one default adapter");
      app->ChooseFile(app.Path(L"image.ROM"));
      const size_t log_start = app.Log().size();
      const DWORD start = GetTickCount();
      const RunObservation run =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("successful_run"));
      std::printf("    (programming run took %.1f s)\n", (GetTickCount() - start) / 1000.0);
      ExpectSuccessfulRun(s, app, run, image, log_start);
      s.CheckText(app->SelectedFilePath(), app.Path(L"image.ROM"), "SelectedFile after the run");
    });

    suite.Run("second_run_then_close", [&](Scenario& s) {
      app.RequireRunning();
      const std::vector<unsigned char> image = RomImage(kRomSize, 12);
      WriteWholeFile(app.Path(L"image.ROM"), image);
      const size_t log_start = app.Log().size();
      const RunObservation run =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("second_run_then_close"));
      ExpectSuccessfulRun(s, app, run, image, log_start);
      const size_t closes = CountLines(app.Log(), "QB_Close");
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
      s.Check(CountLines(app.Log(), "QB_Close") == closes,
              "closing the window closed an adapter that the run had already closed");
    });
  }

  if (suite.Wants("wine_timing")) {
    suite.Run("wine_timing", [&](Scenario& s) {
      // No driver log: writing it would be timed along with the program.
      Instance app = suite.Start("wine_timing", {{L"QBSIM_LOG", L""}});
      const std::vector<unsigned char> image = RomImage(kRomSize, 14);
      WriteWholeFile(app.Path(L"image.ROM"), image);
      app->ChooseDevice(0);
      app->ChooseFile(app.Path(L"image.ROM"));
      const DWORD start = GetTickCount();
      PostMessageW(app->controls().ProgramButton, BM_CLICK, 0, 0);
      const bool shown = WaitUntil(
          kFullRunTimeoutMs, [&] { return !app->OpenMessageBoxes().empty() || !app->Running(); },
          kTimedRunPollMs);
      const double seconds = (GetTickCount() - start) / 1000.0;
      const auto boxes = app->CollectMessageBoxes(kQuietAfterBoxMs, kCloseTimeoutMs,
                                                  suite.ScreenshotPath("wine_timing"));
      ExpectBoxes(s, boxes, {Information(kProgrammed)});
      if (!shown || boxes.empty()) {
        s.Check(false, "the run did not complete within " +
                           std::to_string(kFullRunTimeoutMs / 1000) + " s");
        return;
      }
      const double latency_seconds = std::stod(std::wstring(kFastLatencyMs)) / 1000.0;
      const double bound = WireBoundSeconds(latency_seconds);
      std::printf("    wine timing: run %.2f s, bound %.3f s, ratio %.2f (latency %s ms)\n",
                  seconds, bound, seconds / bound, Narrow(kFastLatencyMs).c_str());
      ExpectFlashHolds(s, app.flash_path, image);
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }

  if (suite.Wants("close_during_run")) {
    suite.Run("close_during_run", [&](Scenario& s) {
      Instance app = suite.Start("close_during_run", {});
      WriteWholeFile(app.Path(L"image.ROM"), RomImage(kRomSize, 13));
      app->ChooseDevice(0);
      app->ChooseFile(app.Path(L"image.ROM"));
      const MainControls& c = app->controls();
      PostMessageW(c.ProgramButton, BM_CLICK, 0, 0);
      const bool mid_run = WaitUntil(kMidRunTimeoutMs, [&] {
        return !app->OpenMessageBoxes().empty() ||
               (IsWindowVisible(c.ProgressBar1) &&
                SendBounded(c.ProgressBar1, PBM_GETPOS, 0, 0, 0) >= LRESULT(kCloseAtProgress));
      });
      s.Check(mid_run && app->OpenMessageBoxes().empty(), "the programming pass did not get going");
      SaveScreenAsBmp(suite.ScreenshotPath("close_during_run"));

      PostMessageW(app->window(), WM_CLOSE, 0, 0);
      std::vector<MessageBoxSeen> late;
      const bool ended = WaitUntil(kCloseTimeoutMs, [&] {
        for (HWND box : app->OpenMessageBoxes()) {
          late.push_back(app->ReadMessageBox(box));
          app->DismissMessageBox(box);
        }
        return !app->Running();
      });
      s.Check(ended, "the programmer did not end within 5 s of closing its window mid-run");
      ExpectBoxCount(s, late, 0);
      const auto log = app.Log();
      s.Check(CountLines(log, "QB_Close") == 1,
              std::to_string(CountLines(log, "QB_Close")) + " QB_Close calls, want 1");
      const std::string after = ActivityAfterLastClose(log);
      s.Check(after.empty(), "the closed adapter was used: \"" + after + "\"");
    });
  }

  if (suite.Wants("missing_dll")) {
    suite.Run("missing_driver_library", [&](Scenario& s) {
      const std::wstring folder = suite.Folder("missing_dll");
      MakeFolders(folder);
      const std::wstring lonely_exe = JoinPath(folder, L"TRV2KFlash.exe");
      s.Check(CopyFileW(suite.exe_path().c_str(), lonely_exe.c_str(), FALSE),
              "cannot copy the programmer");
      ProgrammerProcess app(lonely_exe, folder, {});
      const HWND box = app.WaitForMessageBox(kLibraryReportTimeoutMs);
      if (!box) {
        s.Check(false, app.Running() ? "no message box about the missing library"
                                     : "the programmer ended without a message box");
        return;
      }
      const MessageBoxSeen report = app.ReadMessageBox(box);
      SaveScreenAsBmp(suite.ScreenshotPath("missing_driver_library"));
      s.Check(Upper(report.text).find(L"QBLINK.DLL") != std::wstring::npos,
              "the report " + Printable(report.text) + " does not name QBLINK.DLL");
      s.CheckText(report.caption, kApplicationTitle, "caption of the report");
      app.DismissMessageBox(box);
      s.Check(app.WaitForExit(kCloseTimeoutMs), "the programmer did not end after the report");
    });
  }
}

}  // namespace e2e
