// The smoke scenarios again, with the programmer told it runs on Windows 10 where every other
// group tells it Windows 7: a failure message in the programming pass, a whole successful run,
// and a start without the driver library.
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"
#include "windows_version.h"

namespace e2e {

namespace {

void SetFaults(const std::wstring& path, const std::string& faults) {
  if (!WriteWholeFile(path, std::vector<unsigned char>(faults.begin(), faults.end()))) {
    throw std::runtime_error("cannot write the fault file");
  }
}

}  // namespace

void SmokeScenarios(Suite& suite) {
  if (!suite.Wants("win10")) {
    return;
  }
  const ProgrammerWindowsVersion windows10(L"win10");
  const std::wstring faults_path = JoinPath(suite.Folder("win10"), L"faults.txt");
  Instance app;

  suite.Run("win10_failure_message", [&](Scenario& s) {
    MakeFolders(suite.Folder("win10"));
    SetFaults(faults_path, "no_write_command_ack=3");
    app = suite.Start("win10", {{L"QBSIM_FAULTS_FILE", faults_path}});
    ExpectWindowsVersion(s, app.Log(), "QBSIM Windows 10.0 ");
    WriteWholeFile(app.Path(L"image.ROM"), RomImage(kRomSize, 41));
    app->ChooseDevice(0);
    app->ChooseFile(app.Path(L"image.ROM"));
    const size_t log_start = app.Log().size();
    const RunObservation run =
        app->PressProgram(kQuickRunTimeoutMs, suite.ScreenshotPath("win10_failure_message"));
    ExpectBoxes(s, run, {Information(kAckFailed)});
    if (!run.boxes.empty()) {
      ExpectWindowBehindBox(s, run.boxes[0], kProgrammingHeading);
    }
    ExpectIdleWindow(s, *app);
    const auto all = app.Log();
    const std::vector<std::string> run_log(all.begin() + std::min(log_start, all.size()),
                                           all.end());
    ExpectCommandCounts(s, run_log, 4, 0);
    ExpectReturnToRunMode(s, run_log);
  });

  suite.Run("win10_successful_run", [&](Scenario& s) {
    app.RequireRunning();
    SetFaults(faults_path, "");
    const std::vector<unsigned char> image = RomImage(kRomSize, 42);
    WriteWholeFile(app.Path(L"image.ROM"), image);
    const size_t log_start = app.Log().size();
    const RunObservation run =
        app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("win10_successful_run"));
    ExpectSuccessfulRun(s, app, run, image, log_start);
    s.CheckText(app->SelectedFilePath(), app.Path(L"image.ROM"), "SelectedFile after the run");
    const size_t closes = CountLines(app.Log(), "QB_Close ");
    s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    s.Check(CountLines(app.Log(), "QB_Close ") == closes,
            "closing the window closed an adapter that the run had already closed");
  });

  suite.Run("win10_missing_driver_library", [&](Scenario& s) {
    const std::wstring folder = suite.Folder("win10_alone");
    ProgrammerProcess alone(suite.CopyProgrammerAlone(folder), folder, {});
    ExpectMissingLibraryReport(s, alone, suite.ScreenshotPath("win10_missing_driver_library"));
  });
}

}  // namespace e2e
