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
double WireBoundSeconds(double latencySeconds) {
  constexpr double kByteSeconds = 10e-6;  // 10 bits at 1,000,000 baud
  const double programming = 512 * ((4 + 128) * kByteSeconds + 2 * (kByteSeconds + latencySeconds));
  const double verifying = 512 * ((4 + 129) * kByteSeconds + latencySeconds);
  return programming + verifying + 0.240;
}

bool Contains(const std::vector<std::wstring>& seen, const std::vector<std::wstring>& inOrder) {
  auto next = seen.begin();
  for (const std::wstring& wanted : inOrder) {
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
                         const std::vector<unsigned char>& image, size_t logStart) {
  ExpectBoxes(s, run, {Information(kProgrammed)});
  if (run.boxes.size() == 1) {
    const MessageBoxSeen& box = run.boxes[0];
    s.CheckText(box.label2WhenShown, kVerifyingHeading, "Label2 at the completion message");
    s.Check(box.progressVisibleWhenShown && !box.selectedFileVisibleWhenShown,
            "the progress bar was not in place of SelectedFile at the completion message");
    s.Check(!box.inputsEnabledWhenShown, "controls enabled at the completion message");
  }
  s.Check(Contains(run.label2Captions, {kProgrammingHeading, kVerifyingHeading, kIdleHeading}),
          "Label2 did not go \"Programming Flash:\", \"Verifying Flash:\", \"Selected File:\"");
  s.Check(run.highestProgress == 65536,
          "progress reached " + std::to_string(run.highestProgress) + ", want 65536");
  s.Check(!run.inputsEnabledWithProgress, "controls enabled during a pass");
  ExpectIdleWindow(s, *app);
  ExpectFlashHolds(s, app.flashPath, image);

  const auto all = app.Log();
  const std::vector<std::string> log(all.begin() + std::min(logStart, all.size()), all.end());
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
      const size_t logStart = app.Log().size();
      const DWORD start = GetTickCount();
      const RunObservation run =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("successful_run"));
      std::printf("    (programming run took %.1f s)\n", (GetTickCount() - start) / 1000.0);
      ExpectSuccessfulRun(s, app, run, image, logStart);
      s.CheckText(app->SelectedFilePath(), app.Path(L"image.ROM"), "SelectedFile after the run");
    });

    suite.Run("second_run_then_close", [&](Scenario& s) {
      app.RequireRunning();
      const std::vector<unsigned char> image = RomImage(kRomSize, 12);
      WriteWholeFile(app.Path(L"image.ROM"), image);
      const size_t logStart = app.Log().size();
      const RunObservation run =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("second_run_then_close"));
      ExpectSuccessfulRun(s, app, run, image, logStart);
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
      PostMessageW(app->controls().programButton, BM_CLICK, 0, 0);
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
      const double latencySeconds = std::stod(std::wstring(kFastLatencyMs)) / 1000.0;
      const double bound = WireBoundSeconds(latencySeconds);
      std::printf("    wine timing: run %.2f s, bound %.3f s, ratio %.2f (latency %s ms)\n",
                  seconds, bound, seconds / bound, Narrow(kFastLatencyMs).c_str());
      ExpectFlashHolds(s, app.flashPath, image);
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
      PostMessageW(c.programButton, BM_CLICK, 0, 0);
      const bool midRun = WaitUntil(kMidRunTimeoutMs, [&] {
        return !app->OpenMessageBoxes().empty() ||
               (IsWindowVisible(c.progressBar1) &&
                SendBounded(c.progressBar1, PBM_GETPOS, 0, 0, 0) >= LRESULT(kCloseAtProgress));
      });
      s.Check(midRun && app->OpenMessageBoxes().empty(), "the programming pass did not get going");
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
      const std::wstring lonelyExe = JoinPath(folder, L"TRV2KFlash.exe");
      s.Check(CopyFileW(suite.exePath().c_str(), lonelyExe.c_str(), FALSE),
              "cannot copy the programmer");
      ProgrammerProcess app(lonelyExe, folder, {});
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
