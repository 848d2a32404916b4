#include "checks.h"

#include <algorithm>

#include "expected_texts.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

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

void ExpectBoxes(const std::vector<MessageBoxSeen>& boxes,
                 const std::vector<ExpectedBox>& expected) {
  std::string shown;
  for (const MessageBoxSeen& box : boxes) {
    shown += " [" + Printable(box.caption) + ": " + Printable(box.text) + "]";
  }
  ASSERT_EQ(expected.size(), boxes.size()) << "message boxes shown:" << shown;
  for (size_t i = 0; i < boxes.size(); ++i) {
    SCOPED_TRACE("message box " + std::to_string(i + 1));
    EXPECT_EQ(expected[i].text, boxes[i].text);
    EXPECT_EQ(expected[i].caption, boxes[i].caption);
    EXPECT_EQ(std::vector<std::wstring>{L"OK"}, boxes[i].buttons);
  }
}

void ExpectBoxes(const RunObservation& run, const std::vector<ExpectedBox>& expected) {
  EXPECT_FALSE(run.process_ended) << "the programmer ended during the run";
  EXPECT_TRUE(run.process_ended || run.back_to_idle)
      << "the window did not come back to idle (controls enabled, no box) in time";
  ExpectBoxes(run.boxes, expected);
}

void ExpectIdleWindow(const ProgrammerProcess& programmer) {
  const trv::ui::FormControls& c = programmer.controls();
  EXPECT_FALSE(IsWindowVisible(c.ProgressBar1)) << "progress bar still shown";
  EXPECT_TRUE(IsWindowVisible(c.SelectedFile)) << "SelectedFile still hidden";
  EXPECT_EQ(kIdleHeading, TextOf(c.Label2)) << "Label2";
  EXPECT_TRUE(programmer.InputsEnabled()) << "ComboBox1 / ROM File... / Program not all enabled";
}

void ExpectWindowBehindBox(const MessageBoxSeen& box, const std::wstring& heading) {
  SCOPED_TRACE("while " + Printable(box.text) + " was shown");
  const bool in_pass = heading != kIdleHeading;
  EXPECT_EQ(heading, box.label2_when_shown) << "Label2";
  EXPECT_EQ(in_pass, box.progress_visible_when_shown) << "the progress bar shown";
  EXPECT_EQ(!in_pass, box.selected_file_visible_when_shown) << "SelectedFile shown";
  EXPECT_FALSE(box.inputs_enabled_when_shown) << "controls enabled";
}

void ExpectWindowsVersion(const std::vector<std::string>& log, const std::string& seen) {
  const size_t line = LastLine(log, "QBSIM Windows ");
  ASSERT_NE(std::string::npos, line) << "the stand-in did not log the Windows version it was told";
  EXPECT_EQ(0u, log[line].rfind(seen, 0))
      << "the programmer was not told the Windows version \"" << seen
      << "...\": the stand-in saw \"" << log[line] << "\"";
}

void ExpectNoAdapterOpened(const std::vector<std::string>& log) {
  EXPECT_EQ(0u, CountLines(log, "QB_OpenEx")) << "an adapter was opened";
}

void ExpectFlashHolds(const std::wstring& flash_path, const std::vector<unsigned char>& image) {
  std::vector<unsigned char> flash;
  ASSERT_TRUE(ReadWholeFile(flash_path, flash))
      << "the simulated flash file " << Narrow(flash_path) << " is missing";
  ASSERT_EQ(image.size(), flash.size()) << "bytes in the simulated flash";
  const auto differs = std::mismatch(image.begin(), image.end(), flash.begin());
  EXPECT_TRUE(differs.first == image.end())
      << "the simulated flash differs from the ROM file at address "
      << differs.first - image.begin();
}

void ExpectProgrammed(const Programmer& app, const RunObservation& run,
                      const std::vector<unsigned char>& image) {
  ExpectBoxes(run, {Information(kProgrammed)});
  ExpectIdleWindow(*app);
  ExpectFlashHolds(app.flash_path, image);
}

void ExpectSuccessfulRun(const Programmer& app, const RunObservation& run,
                         const std::vector<unsigned char>& image) {
  ExpectProgrammed(app, run, image);
  if (run.boxes.size() == 1) {
    ExpectWindowBehindBox(run.boxes[0], kVerifyingHeading);
  }
  EXPECT_TRUE(InOrder(run.label2_captions, {kProgrammingHeading, kVerifyingHeading, kIdleHeading}))
      << "Label2 did not go \"Programming Flash:\", \"Verifying Flash:\", \"Selected File:\"";
  EXPECT_EQ(65536u, run.highest_progress) << "the progress reached";
  EXPECT_FALSE(run.inputs_enabled_with_progress) << "controls enabled during a pass";
}

void ExpectMissingLibraryReport(ProgrammerProcess& programmer, const std::wstring& screenshot) {
  const HWND box = programmer.WaitForMessageBox(kLibraryReportTimeoutMs);
  ASSERT_NE(nullptr, box) << (programmer.Running() ? "no message box about the missing library"
                                                   : "the programmer ended without a message box");
  const MessageBoxSeen report = programmer.ReadMessageBox(box);
  SaveScreenAsBmp(screenshot);
  ExpectBoxes({report}, {ErrorReport(kLibraryMissing)});
  programmer.DismissMessageBox(box);
  EXPECT_TRUE(programmer.WaitForExit(kCloseTimeoutMs))
      << "the programmer did not end after the report";
}

}  // namespace e2e
