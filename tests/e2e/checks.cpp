#include "checks.h"

#include <algorithm>

#include "expected_texts.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

namespace {

// Whether `seen` holds the texts of `wanted` in that order, with others between them.
bool InOrder(const std::vector<std::wstring>& seen, const std::vector<std::wstring>& wanted) {
  auto next = seen.begin();
  for (const std::wstring& text : wanted) {
    next = std::find(next, seen.end(), text);
    if (next == seen.end()) {
      return false;
    }
  }
  return true;
}

}  // namespace

ExpectedBox Information(const std::wstring& text) {
  return {kInformationCaption, text};
}

ExpectedBox ErrorReport(const std::wstring& text) {
  return {kApplicationTitle, text};
}

bool ExpectBoxCount(Scenario& scenario, const std::vector<MessageBoxSeen>& boxes, size_t count) {
  std::string shown;
  for (const MessageBoxSeen& box : boxes) {
    shown += " [" + Printable(box.caption) + ": " + Printable(box.text) + "]";
  }
  scenario.Check(boxes.size() == count, std::to_string(boxes.size()) +
                                            " message box(es) shown, want " +
                                            std::to_string(count) + ":" + shown);
  for (size_t i = 0; i < boxes.size(); ++i) {
    scenario.Check(boxes[i].buttons == std::vector<std::wstring>{L"OK"},
                   "message box " + std::to_string(i + 1) + " should have one OK button");
  }
  return boxes.size() == count;
}

void ExpectBoxes(Scenario& scenario, const std::vector<MessageBoxSeen>& boxes,
                 const std::vector<ExpectedBox>& expected) {
  if (!ExpectBoxCount(scenario, boxes, expected.size())) {
    return;
  }
  for (size_t i = 0; i < boxes.size(); ++i) {
    const std::string which = "message box " + std::to_string(i + 1);
    scenario.CheckText(boxes[i].text, expected[i].text, which + " text");
    scenario.CheckText(boxes[i].caption, expected[i].caption, which + " caption");
  }
}

void ExpectBoxes(Scenario& scenario, const RunObservation& run,
                 const std::vector<ExpectedBox>& expected) {
  scenario.Check(!run.process_ended, "the programmer ended during the run");
  scenario.Check(run.process_ended || run.back_to_idle,
                 "the window did not come back to idle (controls enabled, no box) in time");
  ExpectBoxes(scenario, run.boxes, expected);
}

void ExpectIdleWindow(Scenario& scenario, const ProgrammerProcess& programmer) {
  const MainControls& c = programmer.controls();
  scenario.Check(!IsWindowVisible(c.ProgressBar1), "progress bar still shown");
  scenario.Check(IsWindowVisible(c.SelectedFile), "SelectedFile still hidden");
  scenario.CheckText(TextOf(c.Label2), kIdleHeading, "Label2");
  scenario.Check(programmer.InputsEnabled(), "ComboBox1 / ROM File... / Program not all enabled");
}

void ExpectWindowBehindBox(Scenario& scenario, const MessageBoxSeen& box,
                           const std::wstring& heading) {
  const bool in_pass = heading != kIdleHeading;
  scenario.CheckText(box.label2_when_shown, heading,
                     "Label2 while " + Printable(box.text) + " was shown");
  scenario.Check(box.progress_visible_when_shown == in_pass &&
                     box.selected_file_visible_when_shown == !in_pass,
                 std::string(in_pass ? "the progress bar was not" : "SelectedFile was not") +
                     " in its place while " + Printable(box.text) + " was shown");
  scenario.Check(!box.inputs_enabled_when_shown,
                 "controls enabled while " + Printable(box.text) + " was shown");
}

void ExpectWindowsVersion(Scenario& scenario, const std::vector<std::string>& log,
                          const std::string& seen) {
  const size_t line = LastLine(log, "QBSIM Windows ");
  scenario.Check(line != std::string::npos && log[line].rfind(seen, 0) == 0,
                 "the programmer was not told the Windows version \"" + seen +
                     "...\": the stand-in saw \"" +
                     (line == std::string::npos ? "nothing" : log[line]) + "\"");
}

void ExpectNoAdapterOpened(Scenario& scenario, const std::vector<std::string>& log) {
  scenario.Check(CountLines(log, "QB_OpenEx") == 0,
                 "an adapter was opened (QB_OpenEx in the driver log)");
}

void ExpectFlashHolds(Scenario& scenario, const std::wstring& flash_path,
                      const std::vector<unsigned char>& image) {
  std::vector<unsigned char> flash;
  if (!ReadWholeFile(flash_path, flash)) {
    scenario.Check(false, "the simulated flash file " + Narrow(flash_path) + " is missing");
    return;
  }
  if (flash.size() != image.size()) {
    scenario.Check(false, "the simulated flash holds " + std::to_string(flash.size()) +
                              " bytes, want " + std::to_string(image.size()));
    return;
  }
  for (size_t i = 0; i < image.size(); ++i) {
    if (flash[i] != image[i]) {
      scenario.Check(
          false, "the simulated flash differs from the ROM file at address " + std::to_string(i));
      return;
    }
  }
}

void ExpectProgrammed(Scenario& scenario, const Instance& app, const RunObservation& run,
                      const std::vector<unsigned char>& image) {
  ExpectBoxes(scenario, run, {Information(kProgrammed)});
  ExpectIdleWindow(scenario, *app);
  ExpectFlashHolds(scenario, app.flash_path, image);
}

void ExpectSuccessfulRun(Scenario& scenario, const Instance& app, const RunObservation& run,
                         const std::vector<unsigned char>& image) {
  ExpectProgrammed(scenario, app, run, image);
  if (run.boxes.size() == 1) {
    ExpectWindowBehindBox(scenario, run.boxes[0], kVerifyingHeading);
  }
  scenario.Check(
      InOrder(run.label2_captions, {kProgrammingHeading, kVerifyingHeading, kIdleHeading}),
      "Label2 did not go \"Programming Flash:\", \"Verifying Flash:\", \"Selected File:\"");
  scenario.Check(run.highest_progress == 65536,
                 "progress reached " + std::to_string(run.highest_progress) + ", want 65536");
  scenario.Check(!run.inputs_enabled_with_progress, "controls enabled during a pass");
}

void ExpectMissingLibraryReport(Scenario& scenario, ProgrammerProcess& programmer,
                                const std::wstring& screenshot) {
  const HWND box = programmer.WaitForMessageBox(kLibraryReportTimeoutMs);
  if (!box) {
    scenario.Check(false, programmer.Running() ? "no message box about the missing library"
                                               : "the programmer ended without a message box");
    return;
  }
  const MessageBoxSeen report = programmer.ReadMessageBox(box);
  SaveScreenAsBmp(screenshot);
  ExpectBoxes(scenario, {report}, {ErrorReport(kLibraryMissing)});
  programmer.DismissMessageBox(box);
  scenario.Check(programmer.WaitForExit(kCloseTimeoutMs),
                 "the programmer did not end after the report");
}

}  // namespace e2e
