// The smoke scenarios, with Wine telling the programmer that it runs on Windows 7, then on
// Windows 10: a failure message in the programming pass, a whole successful run, and a start
// without the driver library.
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"
#include "win_helpers.h"
#include "windows_version.h"

namespace e2e {

namespace {

struct WindowsVersion {
  const char* group;
  const wchar_t* setting;  // Wine's name of the version
  const char* seen;        // how the stand-in, inside the programmer, logs it
};

const WindowsVersion kVersions[] = {
    {"win7", L"win7", "QBSIM Windows 6.1 "},
    {"win10", L"win10", "QBSIM Windows 10.0 "},
};

void SetFaults(const std::wstring& path, const std::string& faults) {
  if (!WriteWholeFile(path, std::vector<unsigned char>(faults.begin(), faults.end()))) {
    throw std::runtime_error("cannot write the fault file");
  }
}

void VersionSmoke(Suite& suite, const WindowsVersion& version) {
  const std::string group = version.group;
  const ProgrammerWindowsVersion told(version.setting);
  const std::wstring faults_path = JoinPath(suite.Folder(group), L"faults.txt");
  Instance app;

  suite.Run(group + "_failure_message", [&](Scenario& s) {
    MakeFolders(suite.Folder(group));
    SetFaults(faults_path, "no_write_command_ack=3");
    app = suite.Start(group, {{L"QBSIM_FAULTS_FILE", faults_path}});
    const auto log = app.Log();
    const size_t seen = LastLine(log, "QBSIM Windows ");
    s.Check(seen != std::string::npos && log[seen].rfind(version.seen, 0) == 0,
            "the programmer was not told it runs on " + group + ": the stand-in saw \"" +
                (seen == std::string::npos ? "nothing" : log[seen]) + "\"");
    WriteWholeFile(app.Path(L"image.ROM"), RomImage(kRomSize, 41));
    app->ChooseDevice(0);
    app->ChooseFile(app.Path(L"image.ROM"));
    const size_t log_start = app.Log().size();
    const RunObservation run =
        app->PressProgram(kQuickRunTimeoutMs, suite.ScreenshotPath(group + "_failure_message"));
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

  suite.Run(group + "_successful_run", [&](Scenario& s) {
    app.RequireRunning();
    SetFaults(faults_path, "");
    const std::vector<unsigned char> image = RomImage(kRomSize, 42);
    WriteWholeFile(app.Path(L"image.ROM"), image);
    const size_t log_start = app.Log().size();
    const RunObservation run =
        app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath(group + "_successful_run"));
    ExpectSuccessfulRun(s, app, run, image, log_start);
    s.CheckText(app->SelectedFilePath(), app.Path(L"image.ROM"), "SelectedFile after the run");
    const size_t closes = CountLines(app.Log(), "QB_Close ");
    s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    s.Check(CountLines(app.Log(), "QB_Close ") == closes,
            "closing the window closed an adapter that the run had already closed");
  });

  suite.Run(group + "_missing_driver_library", [&](Scenario& s) {
    const std::wstring folder = suite.Folder(group + "_alone");
    ProgrammerProcess alone(suite.CopyProgrammerAlone(folder), folder, {});
    ExpectMissingLibraryReport(s, alone, suite.ScreenshotPath(group + "_missing_driver_library"));
  });
}

}  // namespace

void SmokeScenarios(Suite& suite) {
  for (const WindowsVersion& version : kVersions) {
    if (suite.Wants(version.group)) {
      VersionSmoke(suite, version);
    }
  }
}

}  // namespace e2e
