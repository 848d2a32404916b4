// With the programmer told it runs on Windows 10, where every other group tells it Windows 7: a
// whole successful run and a start without the driver library.
#include "checks.h"
#include "expected_texts.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "time_limits.h"
#include "windows_version.h"

namespace e2e {

void SmokeScenarios(Suite& suite) {
  if (!suite.Wants("win10")) {
    return;
  }
  const ProgrammerWindowsVersion windows10(L"win10");

  suite.Run("win10_successful_run", [&](Scenario& s) {
    Instance app = suite.Start("win10", {});
    ExpectWindowsVersion(s, app.Log(), "QBSIM Windows 10.0 ");
    const std::vector<unsigned char> image = app.ChooseAdapterAndImage(42);
    const RunObservation run =
        app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("win10_successful_run"));
    ExpectSuccessfulRun(s, app, run, image);
    s.CheckText(app->SelectedFilePath(), app.Path(L"image.ROM"), "SelectedFile after the run");
    s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
  });

  suite.Run("win10_missing_driver_library", [&](Scenario& s) {
    const std::wstring folder = suite.Folder("win10_alone");
    ProgrammerProcess alone(suite.CopyProgrammerAlone(folder), folder, {});
    ExpectMissingLibraryReport(s, alone, suite.ScreenshotPath("win10_missing_driver_library"));
  });
}

}  // namespace e2e
