// Runs cut short from outside: the window closed, or the Windows session ended anyway, in the
// middle of the programming pass. Either way the adapter is closed once, and never used afterwards.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>

#include "checks.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

namespace {

// Progress at which the run is cut short: well into the programming pass.
constexpr DWORD kCutAtProgress = 8192;
// After the adapter has been closed, this long without a driver call or a box shows that the run
// has stopped using it.
constexpr DWORD kAfterCloseQuietMs = 1000;

// Starts a run of a fresh image and returns once the programming pass has passed kCutAtProgress.
void StartRunAndWaitMidPass(Scenario& s, const Suite& suite, const Instance& app,
                            const std::string& scenario) {
  WriteWholeFile(app.Path(L"image.ROM"), RomImage(kRomSize, 13));
  app->ChooseDevice(0);
  app->ChooseFile(app.Path(L"image.ROM"));
  const MainControls& c = app->controls();
  PostMessageW(c.ProgramButton, BM_CLICK, 0, 0);
  const bool mid_run = WaitUntil(kMidRunTimeoutMs, [&] {
    return !app->OpenMessageBoxes().empty() ||
           (IsWindowVisible(c.ProgressBar1) &&
            SendBounded(c.ProgressBar1, PBM_GETPOS, 0, 0, 0) >= LRESULT(kCutAtProgress));
  });
  s.Check(mid_run && app->OpenMessageBoxes().empty(), "the programming pass did not get going");
  SaveScreenAsBmp(suite.ScreenshotPath(scenario));
}

// Dismisses and returns every box that comes up until `done` holds or `timeout_ms` has passed.
template <typename Condition>
std::vector<MessageBoxSeen> BoxesUntil(const Instance& app, DWORD timeout_ms, Condition done) {
  std::vector<MessageBoxSeen> seen;
  WaitUntil(timeout_ms, [&] {
    for (HWND box : app->OpenMessageBoxes()) {
      seen.push_back(app->ReadMessageBox(box));
      app->DismissMessageBox(box);
    }
    return done();
  });
  return seen;
}

// The one open adapter was closed once, with the handle it was opened under, and nothing used
// it afterwards.
void ExpectClosedOnceAndLeftAlone(Scenario& s, const std::vector<std::string>& log) {
  s.Check(CountLines(log, "QB_Close ") == 1,
          std::to_string(CountLines(log, "QB_Close ")) + " QB_Close calls, want 1");
  const size_t open = LastLine(log, "QB_OpenEx ");
  const size_t close = LastLine(log, "QB_Close ");
  if (open != std::string::npos && close != std::string::npos) {
    // "QB_OpenEx \"<description>\" 2 handle=0x1 -> 0"
    const size_t from = log[open].find("handle=") + 7;
    const std::string opened = log[open].substr(from, log[open].find(' ', from) - from);
    s.Check(log[close].rfind("QB_Close " + opened + " ", 0) == 0,
            "the adapter was opened as " + opened + " but closed as \"" + log[close] + "\"");
  }
  const std::string after = ActivityAfterLastClose(log);
  s.Check(after.empty(), "the closed adapter was used: \"" + after + "\"");
}

}  // namespace

void RunScenarios(Suite& suite) {
  if (suite.Wants("close_during_run")) {
    suite.Run("close_during_run", [&](Scenario& s) {
      Instance app = suite.Start("close_during_run", {});
      StartRunAndWaitMidPass(s, suite, app, "close_during_run");
      PostMessageW(app->window(), WM_CLOSE, 0, 0);
      const auto late = BoxesUntil(app, kCloseTimeoutMs, [&] { return !app->Running(); });
      s.Check(!app->Running(),
              "the programmer did not end within 5 s of closing its window mid-run");
      ExpectBoxCount(s, late, 0);
      ExpectClosedOnceAndLeftAlone(s, app.Log());
    });
  }

  if (suite.Wants("session_end")) {
    suite.Run("session_end_during_run", [&](Scenario& s) {
      Instance app = suite.Start("session_end", {});
      StartRunAndWaitMidPass(s, suite, app, "session_end_during_run");
      // What Windows sends at log-off or shut-down: first the question, which a run refuses, then
      // the end itself, as when the user has Windows go on anyway.
      const HWND window = app->window();
      const LRESULT allowed = SendBounded(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, 1);
      s.Check(allowed == 0, "the programmer let the session end in the middle of a run");
      SendBounded(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, 0);
      // Windows may end the process as soon as WM_ENDSESSION has been answered: the adapter must
      // already be closed, and the run must not use it again.
      const size_t closes = CountLines(app.Log(), "QB_Close ");
      s.Check(closes == 1, std::to_string(closes) +
                               " QB_Close calls by the time WM_ENDSESSION was answered, want 1");
      const auto late = BoxesUntil(app, kAfterCloseQuietMs, [&] { return !app->Running(); });
      std::printf(
          "    (after WM_ENDSESSION the programmer %s)\n",
          app->Running() ? "went on until it was ended, as Windows ends it" : "ended by itself");
      ExpectBoxCount(s, late, 0);
      app->Kill();
      ExpectClosedOnceAndLeftAlone(s, app.Log());
    });
  }
}

}  // namespace e2e
